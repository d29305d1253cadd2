// console_bench [runs]: figures of the parent console with a stored account.
//  - start: from the fork of a fresh process to the main window's first
//    finished paint (Qt's start, the settings, the window), over `runs` runs;
//  - idle CPU: the console's own CPU time over 10 s with the main window open,
//    and with it hidden to the tray. No account server answers, so the 5 s
//    internet poll keeps trying, as on a machine without network.
// The console runs on $QT_QPA_PLATFORM (offscreen when unset).

#include "bench/console/ConsoleFolder.h"

#include "console/CWarrowTrayApp.h"
#include "console/CWarrowTrayDlg.h"
#include "core/CDataBase.h"

#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
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

// Runs `then` once the main window has finished its first paint.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(std::function<void()> then) : m_then(std::move(then)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!m_bDone && event->type() == QEvent::Paint && dynamic_cast<CWarrowTrayDlg*>(watched) != nullptr) {
            m_bDone = true;
            QTimer::singleShot(0, this, m_then); // after the paint itself
        }
        return false;
    }

private:
    std::function<void()> m_then;
    bool m_bDone = false;
};

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
            std::printf("result %.3f\n", NowMs());
            QCoreApplication::exit(0);
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

// Starts this program in `mode` and returns what it printed, with the time of the fork.
bool RunOnce(const char* self, const char* mode, double& started, double& printed) {
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
    printed = std::atof(text.c_str() + marker + 7);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (argc == 3 && std::strcmp(argv[1], "--child") == 0) {
        return RunChild(1, argv, argv[2]);
    }
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    char runtime[] = "/tmp/console-bench-run.XXXXXX";
    if (::mkdtemp(runtime) == nullptr) {
        return 1;
    }
    ::setenv("XDG_RUNTIME_DIR", runtime, 1);
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
