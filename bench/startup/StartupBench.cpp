// startup_bench [--runs N] [ROWS ...]        (default: 5 runs of 10 100000 1000000)
//
// What a long activity log costs the programs at start. For each log size a
// fresh installation folder gets that many log lines (written in one
// transaction, spread over half a year like a family's), then each program
// is started N times and the median and worst of
// - `warrowctl apps list`: from start to exit, and its peak memory;
// - the child shell `Warrow` on a private Xvfb: from start to its desktop
//   window mapped, and its peak memory up to then;
// - `warrowctl log list`: the newest page of the log, start to exit;
// - the first page of the log (500 lines) read in process through
//   CLogPager on an open connection: what the usage-log window waits for.
// A last configuration gives the allow-list and the web tree 1,000 entries
// each (far more than a family keeps) with a 10-line log: the other tables
// read at start. WARROWCTL and WARROW_SHELL name other builds' programs to
// compare with (the log pages are always this build's).

#include "core/CDBManager.h"
#include "core/CDataBase.h"
#include "core/CLogPager.h"
#include "core/CWarrowCoreInterface.h"
#include "platform/x11/CXConnection.h"
#include "platform/x11/WindowTitle.h"
#include "tests/x11/Spawn.h"
#include "tests/x11/XvfbServer.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <poll.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The programs measured: this build's, or another build's (to compare) named
// by WARROWCTL and WARROW_SHELL.
std::string Program(const char* variable, const char* built) {
    const char* other = std::getenv(variable);
    return other != nullptr && *other != '\0' ? other : built;
}
const std::string g_warrowctl = Program("WARROWCTL", WARROWCTL);
const std::string g_shell = Program("WARROW_SHELL", WARROW_SHELL);

struct Sample {
    double ms = 0;
    long peakKb = 0;
};

double Since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

bool Execute(CDataBase& db, const std::string& sql) {
    if (!db.Execute(sql.c_str())) {
        std::fprintf(stderr, "startup_bench: failed: %s\n", sql.c_str());
        return false;
    }
    return true;
}

// An installation folder with `rows` log lines and, when asked, a long
// allow-list and web tree.
bool MakeFolder(const fs::path& folder, long rows, int listEntries) {
    fs::remove_all(folder);
    fs::create_directories(folder);
    if (std::system(("'" + g_warrowctl + "' --dir '" + folder.string() + "' init >/dev/null 2>&1").c_str()) !=
        0) {
        return false;
    }
    std::ofstream(folder / "Config.ini", std::ios::app) << "\n[System]\nID=1\n";
    fs::copy_file(g_shell, folder / "Warrow");
    fs::create_directory_symlink(WARROW_RESOURCE_DIR, folder / "Resource");
    std::ofstream(folder / "WarrowTray") << "#!/bin/sh\n";
    fs::permissions(folder / "WarrowTray", fs::perms::owner_all, fs::perm_options::add);

    CDataBase db;
    if (!db.Open((folder / kDataBasePath).c_str(), kDataBasePassword)) {
        return false;
    }
    const std::string numbers = "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < ";
    // A start and a close per program, every few seconds of six months.
    bool ok = rows <= 0 || Execute(db, numbers + std::to_string(rows) +
                                           ") INSERT INTO [AppLog] ([DateTime], [Content], [Type]) SELECT "
                                           "45800 + x * 180.0 / " +
                                           std::to_string(rows) +
                                           ", CASE x % 2 WHEN 0 THEN '启动了[game' || (x % 37) || '].' ELSE "
                                           "'关闭了[game' || (x % 37) || '].' END, 0 FROM n");
    if (ok && listEntries > 0) {
        const std::string count = std::to_string(listEntries);
        ok = Execute(db, numbers + count +
                             ") INSERT INTO [AppInfo] SELECT 'app' || x, '/opt/games/app' || x || '/', "
                             "'游戏' || x, '', '' FROM n") &&
             Execute(db, "INSERT INTO [IEInfo] VALUES (1, " + std::to_string(2 * listEntries + 2) +
                             ", '网站', '', 0, '', 1)") &&
             Execute(db, numbers + count +
                             ") INSERT INTO [IEInfo] SELECT 2 * x, 2 * x + 1, 'site' || x, "
                             "'http://site' || x || '.example.com/', x % 2, 'http://site' || x || "
                             "'.example.com/', 0 FROM n");
    }
    return ok;
}

// Runs a program to its end: wall time and peak resident memory.
Sample RunToExit(const std::vector<std::string>& args) {
    const auto start = Clock::now();
    const pid_t pid = Spawn(args, {{-1, 1}, {-1, 2}});
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    return {Since(start), usage.ru_maxrss};
}

long PeakKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::atol(line.c_str() + 6);
        }
    }
    return 0;
}

// Starts the shell in `folder` and waits for its desktop window to be mapped.
Sample ShellToWindow(const fs::path& folder, const deskguard::CXConnection& x) {
    const auto start = Clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(folder.c_str()) != 0) {
            ::_exit(126);
        }
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execl("./Warrow", "Warrow", nullptr);
        ::_exit(127);
    }
    Sample sample{-1, 0};
    const int fd = xcb_get_file_descriptor(x.Get());
    while (sample.ms < 0 && Since(start) < 60000) {
        xcb_generic_event_t* event = xcb_poll_for_event(x.Get());
        if (event == nullptr) {
            pollfd pfd{fd, POLLIN, 0};
            ::poll(&pfd, 1, 100);
            continue;
        }
        if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
            const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
            if (deskguard::WindowTitle(x, map->window) == "Warrow") {
                sample.ms = Since(start);
                sample.peakKb = PeakKb(pid);
            }
        }
        std::free(event);
    }
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 100 && ::waitpid(pid, nullptr, WNOHANG) == 0; ++i) {
        ::usleep(50000);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    return sample;
}

// The connection is open already in a program that shows the log (its
// start-up opened it), so only the page is timed.
Sample FirstPage(const fs::path& folder) {
    CDBManager::Destroy();
    CDataBase* db = CDBManager::Instance().GetDataBase((folder / kDataBasePath).c_str(), kDataBasePassword);
    const auto start = Clock::now();
    CLogPager pager(db);
    std::vector<tagLogInfo> page;
    pager.FetchMore(page);
    Sample sample{Since(start), 0};
    CDBManager::Destroy();
    return sample;
}

void Report(const char* what, const char* config, std::vector<Sample> samples) {
    std::sort(samples.begin(), samples.end(), [](const Sample& a, const Sample& b) { return a.ms < b.ms; });
    long peak = 0;
    for (const auto& s : samples) {
        peak = std::max(peak, s.peakKb);
    }
    std::printf("%-34s %-26s median %9.1f ms  worst %9.1f ms", what, config, samples[samples.size() / 2].ms,
                samples.back().ms);
    if (peak > 0) {
        std::printf("  peak %7.1f MB", peak / 1024.0);
    }
    std::printf("\n");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    int runs = 5;
    std::vector<long> sizes;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else {
            sizes.push_back(std::atol(argv[i]));
        }
    }
    if (sizes.empty()) {
        sizes = {10, 100000, 1000000};
    }
    CDataBase::SetTraceStream(nullptr);
    const fs::path work = fs::temp_directory_path() / ("warrow-startup-" + std::to_string(::getpid()));
    fs::create_directories(work / "run");
    ::setenv("XDG_RUNTIME_DIR", (work / "run").c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);

    XvfbServer xvfb;
    if (xvfb.Display().empty()) {
        std::fprintf(stderr, "startup_bench: Xvfb did not start\n");
        return 1;
    }
    ::setenv("DISPLAY", xvfb.Display().c_str(), 1);
    auto x = deskguard::CXConnection::Open(xvfb.Display().c_str());
    if (!x) {
        std::fprintf(stderr, "startup_bench: no connection to Xvfb\n");
        return 1;
    }
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x->Get(), x->Root(), XCB_CW_EVENT_MASK, &mask);
    x->Sync();

    struct Config {
        long rows;
        int listEntries;
    };
    std::vector<Config> configs;
    for (long rows : sizes) {
        configs.push_back({rows, 0});
    }
    configs.push_back({10, 1000});

    for (const auto& config : configs) {
        const fs::path folder = work / "install";
        const auto made = Clock::now();
        if (!MakeFolder(folder, config.rows, config.listEntries)) {
            std::fprintf(stderr, "startup_bench: cannot prepare %s\n", folder.c_str());
            return 1;
        }
        const std::string name =
            std::to_string(config.rows) + " log lines" + (config.listEntries > 0 ? ", 1000 apps+pages" : "");
        std::printf("# %s: folder made in %.1f s, database %.1f MB\n", name.c_str(), Since(made) / 1000,
                    static_cast<double>(fs::file_size(folder / kDataBasePath)) / (1024 * 1024));
        std::vector<Sample> apps, shell, logList, firstPage;
        for (int run = 0; run < runs; ++run) {
            apps.push_back(RunToExit({g_warrowctl, "--dir", folder.string(), "apps", "list"}));
            shell.push_back(ShellToWindow(folder, *x));
            logList.push_back(RunToExit({g_warrowctl, "--dir", folder.string(), "log", "list"}));
            firstPage.push_back(FirstPage(folder));
        }
        Report("warrowctl apps list", name.c_str(), apps);
        Report("Warrow to its window mapped", name.c_str(), shell);
        Report("warrowctl log list (newest 500)", name.c_str(), logList);
        Report("first log page (500 lines)", name.c_str(), firstPage);
    }
    fs::remove_all(work);
    return 0;
}
