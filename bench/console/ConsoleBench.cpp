// console_bench [runs]: figures of the parent console with a stored account.
//  - start: from the fork of a fresh process to the main window's first
//    finished paint (Qt's start, the settings, the window), over `runs` runs;
//  - idle CPU: the console's own CPU time over 10 s with the main window open,
//    and with it hidden to the tray. No account server answers, so the 5 s
//    internet poll keeps trying, as on a machine without network.
// console_bench --log [--runs N] [ROWS ...] (default 5 runs of 10 100000 1000000):
// what the activity log costs the console. For each size an installation
// folder gets that many log lines, then over `runs` fresh processes:
//  - start to the main window painted, and the peak memory (VmHWM) then;
//  - the usage-log window: from its creation to its list painted with lines;
//  - its chart: from the window's creation, shown on the chart's tab, to the
//    chart painted with the 14 days up to the log's last line.
// The console runs on $QT_QPA_PLATFORM (offscreen when unset).

#include "bench/console/ConsoleFolder.h"

#include "console/CDlgLogout.h"
#include "console/CLogModel.h"
#include "console/CWarrowTrayApp.h"
#include "console/CWarrowTrayDlg.h"
#include "console/UsageChartView.h"
#include "core/CDBManager.h"
#include "core/CDataBase.h"

#include <QApplication>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

namespace {

constexpr int kIdleSeconds = 10;

double NowMs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

double CpuMs() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) * 1000.0 + t.tv_usec / 1000.0;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

long PeakKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::atol(line.c_str() + 6);
        }
    }
    return 0;
}

// Runs `then` once a watched widget has finished its first paint (by
// default the main window).
class PaintWatch : public QObject {
public:
    explicit PaintWatch(
        std::function<void()> then,
        std::function<bool(QObject*)> watched =
            [](QObject* object) { return dynamic_cast<CWarrowTrayDlg*>(object) != nullptr; })
        : m_then(std::move(then)), m_watched(std::move(watched)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!m_bDone && event->type() == QEvent::Paint && m_watched(watched)) {
            m_bDone = true;
            QTimer::singleShot(0, this, m_then); // after the paint itself
        }
        return false;
    }

private:
    std::function<void()> m_then;
    std::function<bool(QObject*)> m_watched;
    bool m_bDone = false;
};

// Opens the usage-log window over the painted main window and prints the
// time from its creation to its list painted with lines.
void TimeUsageLog(QWidget* owner) {
    auto* shownAt = new double(0);
    const double start = NowMs();
    auto* dialog = new CDlgLogout(owner);
    QWidget* list = dialog->View()->viewport();
    auto* watch = new PaintWatch(
        [shownAt, dialog] {
            std::printf("result %.3f %d\n", *shownAt, dialog->Model()->rowCount());
            delete shownAt;
            QCoreApplication::exit(0);
        },
        [list, dialog, start, shownAt](QObject* object) {
            if (object != list || dialog->Model()->rowCount() == 0) {
                return false;
            }
            *shownAt = NowMs() - start;
            return true;
        });
    watch->setParent(dialog);
    qApp->installEventFilter(watch);
    dialog->show();
}

// The last moment FillLog writes: the chart covers the fortnight before it.
constexpr double kLogEnd = 45800 + 180 - 0.25;

// Opens the usage-log window on its chart and prints the time from its
// creation to the chart painted with the fortnight's figures.
void TimeUsageChart(QWidget* owner) {
    auto* shownAt = new double(0);
    CDlgLogout::SetChartMoment(kLogEnd);
    const double start = NowMs();
    auto* dialog = new CDlgLogout(owner);
    QWidget* chart = dialog->Chart();
    auto* watch = new PaintWatch(
        [shownAt, dialog] {
            std::printf("result %.3f %zu\n", *shownAt, dialog->Chart()->Data().Series.size());
            delete shownAt;
            QCoreApplication::exit(0);
        },
        [chart, dialog, start, shownAt](QObject* object) {
            if (object != chart || dialog->Chart()->Data().Bars.empty()) {
                return false;
            }
            *shownAt = NowMs() - start;
            return true;
        });
    watch->setParent(dialog);
    qApp->installEventFilter(watch);
    dialog->show();
    dialog->ShowChart();
}

// The console in this process until `then` ends the loop; prints what it measured.
int RunChild(int argc, char** argv, const std::string& mode) {
    CDataBase::SetTraceStream(nullptr);
    QApplication app(argc, argv);
    CWarrowTrayApp console;
    if (!console.StartInstance({})) {
        return 1;
    }
    PaintWatch watch([&] {
        if (mode == "start") {
            std::printf("result %.3f %ld\n", NowMs(), PeakKb());
            QCoreApplication::exit(0);
            return;
        }
        if (mode == "usagelog") {
            TimeUsageLog(console.MainWindow());
            return;
        }
        if (mode == "usagechart") {
            TimeUsageChart(console.MainWindow());
            return;
        }
        if (mode == "tray") {
            CWarrowTrayDlg::SetTrayAvailableOverride(1);
            console.MainWindow()->close();
        }
        QTimer::singleShot(1000, [] {
            const double before = CpuMs();
            QTimer::singleShot(kIdleSeconds * 1000, [before] {
                std::printf("result %.3f\n", CpuMs() - before);
                QCoreApplication::exit(0);
            });
        });
    });
    app.installEventFilter(&watch);
    const double beforeInit = NowMs();
    console.InitInstance();
    if (std::getenv("CONSOLE_BENCH_PHASES") != nullptr) {
        std::fprintf(stderr, "phases: Qt up at %.1f, InitInstance %.1f ms\n", beforeInit,
                     NowMs() - beforeInit);
    }
    const int status = QApplication::exec();
    std::fflush(stdout);
    console.ExitInstance();
    return status;
}

// Starts this program in `mode` and returns what it printed (a figure and an
// optional second one), with the time of the fork.
bool RunOnce(const char* self, const char* mode, double& started, double& printed, long* second = nullptr) {
    int out[2];
    if (::pipe(out) != 0) {
        return false;
    }
    started = NowMs();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::execl(self, self, "--child", mode, static_cast<char*>(nullptr));
        _exit(127);
    }
    ::close(out[1]);
    std::string text;
    char buffer[128];
    ssize_t n;
    while ((n = ::read(out[0], buffer, sizeof buffer)) > 0) {
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    const std::size_t marker = text.rfind("result ");
    if (marker == std::string::npos) {
        return false;
    }
    char* end = nullptr;
    printed = std::strtod(text.c_str() + marker + 7, &end);
    if (second != nullptr) {
        *second = std::strtol(end, nullptr, 10);
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Appends `rows` log lines to the folder's database, a start and a close
// every few seconds of half a year, as a family's computer collects them.
bool FillLog(long rows) {
    CDataBase db;
    if (!db.Open(kDataBasePath, kDataBasePassword)) {
        return false;
    }
    const std::string sql =
        "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < " + std::to_string(rows) +
        ") INSERT INTO [AppLog] ([DateTime], [Content], [Type]) SELECT 45800 + x * 180.0 / " +
        std::to_string(rows) +
        ", CASE x % 2 WHEN 0 THEN '启动了[game' || (x % 37) || '].' ELSE '关闭了[game' || (x % 37) || '].' "
        "END, 0 "
        "FROM n";
    return rows <= 0 || db.Execute(sql.c_str());
}

void PrintSpread(const char* what, long rows, std::vector<double> values, long peakKb) {
    std::sort(values.begin(), values.end());
    std::printf("%-34s %8ld log lines: best %7.1f ms  median %7.1f ms  worst %7.1f ms", what, rows,
                values.front(), values[values.size() / 2], values.back());
    if (peakKb > 0) {
        std::printf("  peak %6.1f MB", static_cast<double>(peakKb) / 1024.0);
    }
    std::printf("\n");
    std::fflush(stdout);
}

int RunLogFigures(const std::string& self, int argc, char** argv) {
    int runs = 5;
    std::vector<long> sizes;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else {
            sizes.push_back(std::atol(argv[i]));
        }
    }
    if (sizes.empty()) {
        sizes = {10, 100000, 1000000};
    }
    // Every size gets its folder first; the runs then go round the sizes, so
    // that a busy moment of a shared machine falls on all of them alike.
    struct Size {
        long rows;
        std::filesystem::path folder;
        std::vector<double> starts, opens, charts;
        long peakKb = 0;
    };
    std::vector<Size> measured;
    for (const long rows : sizes) {
        // Connections are kept by path, and every folder's database has the same relative one.
        CDBManager::Destroy();
        const std::string purpose = "console-bench-log-" + std::to_string(rows);
        Size size{rows, MakeConsoleFolder(purpose.c_str(), true), {}, {}, {}};
        std::ofstream("Config.ini", std::ios::app) << "\n[Network]\nIp=127.0.0.1\nPort=1\n";
        if (!FillLog(rows)) {
            std::fprintf(stderr, "console_bench: cannot fill the log\n");
            return 1;
        }
        measured.push_back(std::move(size));
    }
    CDBManager::Destroy();
    for (int i = 0; i < runs; ++i) {
        for (Size& size : measured) {
            std::filesystem::current_path(size.folder);
            double started = 0, painted = 0, openStarted = 0, opened = 0, chartStarted = 0, charted = 0;
            long peakKb = 0;
            if (!RunOnce(self.c_str(), "start", started, painted, &peakKb) ||
                !RunOnce(self.c_str(), "usagelog", openStarted, opened) ||
                !RunOnce(self.c_str(), "usagechart", chartStarted, charted)) {
                std::fprintf(stderr, "console_bench: a run failed\n");
                return 1;
            }
            size.starts.push_back(painted - started);
            size.opens.push_back(opened);
            size.charts.push_back(charted);
            size.peakKb = std::max(size.peakKb, peakKb);
        }
    }
    for (const Size& size : measured) {
        PrintSpread("start to main window painted", size.rows, size.starts, size.peakKb);
    }
    for (const Size& size : measured) {
        PrintSpread("usage log to its first lines shown", size.rows, size.opens, 0);
    }
    for (const Size& size : measured) {
        PrintSpread("usage window to its chart shown", size.rows, size.charts, 0);
    }
    std::filesystem::current_path("/");
    for (const Size& size : measured) {
        std::filesystem::remove_all(size.folder);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (argc == 3 && std::strcmp(argv[1], "--child") == 0) {
        return RunChild(1, argv, argv[2]);
    }
    char runtime[] = "/tmp/console-bench-run.XXXXXX";
    if (::mkdtemp(runtime) == nullptr) {
        return 1;
    }
    ::setenv("XDG_RUNTIME_DIR", runtime, 1);
    if (argc > 1 && std::strcmp(argv[1], "--log") == 0) {
        CDataBase::SetTraceStream(nullptr);
        const int status = RunLogFigures(std::filesystem::canonical("/proc/self/exe").string(), argc, argv);
        std::filesystem::remove_all(runtime);
        return status;
    }
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const auto folder = MakeConsoleFolder("console-bench", true);
    std::ofstream("Config.ini", std::ios::app) << "\n[Network]\nIp=127.0.0.1\nPort=1\n";
    const std::string self = std::filesystem::canonical("/proc/self/exe").string();

    std::vector<double> starts;
    for (int i = 0; i < runs; ++i) {
        double started = 0;
        double painted = 0;
        if (!RunOnce(self.c_str(), "start", started, painted)) {
            std::fprintf(stderr, "console_bench: a start failed\n");
            return 1;
        }
        starts.push_back(painted - started);
    }
    std::sort(starts.begin(), starts.end());
    std::printf("start to main window painted (%d runs, %s): median %.1f ms, min %.1f ms, max %.1f ms\n",
                runs, std::getenv("QT_QPA_PLATFORM"), starts[starts.size() / 2], starts.front(),
                starts.back());

    for (const char* mode : {"visible", "tray"}) {
        double started = 0;
        double cpu = 0;
        if (!RunOnce(self.c_str(), mode, started, cpu)) {
            std::fprintf(stderr, "console_bench: the idle run failed\n");
            return 1;
        }
        std::printf("idle CPU over %d s, main window %s: %.1f ms (%.3f %%)\n", kIdleSeconds,
                    std::strcmp(mode, "tray") == 0 ? "hidden to the tray" : "open", cpu,
                    cpu / (kIdleSeconds * 10.0));
    }
    std::filesystem::current_path("/");
    std::filesystem::remove_all(folder);
    std::filesystem::remove_all(runtime);
    return 0;
}
