// shell_restart_bench [--runs N]        (default: 20 kills)
//
// The service watches the child shell while child mode is on and starts it
// again when it ends. This measures what the child sees: from SIGKILL of the
// shell to its desktop window mapped again, on a private Xvfb, with a real
// service (run in the foreground) and a real shell. Prints the median and
// the worst of N kills.

#include "platform/ServiceChannel.h"
#include "platform/x11/CXConnection.h"
#include "platform/x11/WindowTitle.h"
#include "tests/x11/XvfbServer.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

bool MakeFolder(const fs::path& folder) {
    fs::remove_all(folder);
    fs::create_directories(folder);
    if (std::system(("'" WARROWCTL "' --dir '" + folder.string() + "' init >/dev/null 2>&1").c_str()) != 0) {
        return false;
    }
    fs::copy_file(WARROW_SHELL, folder / "Warrow");
    fs::copy_file(WARROW_SERVICE, folder / "WarrowSvc");
    fs::create_directory_symlink(WARROW_RESOURCE_DIR, folder / "Resource");
    std::ofstream(folder / "WarrowTray") << "#!/bin/sh\n";
    fs::permissions(folder / "WarrowTray", fs::perms::owner_all, fs::perm_options::add);
    return true;
}

pid_t StartService(const fs::path& folder) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::unsetenv("INVOCATION_ID");
        ::unsetenv("NOTIFY_SOCKET");
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execl((folder / "WarrowSvc").c_str(), "WarrowSvc", nullptr);
        ::_exit(127);
    }
    return pid;
}

// The running process whose program is `program`; 0 when none runs.
pid_t ProcessOf(const fs::path& program) {
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::error_code error;
        if (fs::read_symlink(entry.path() / "exe", error) == program) {
            return static_cast<pid_t>(std::atol(entry.path().filename().c_str()));
        }
    }
    return 0;
}

// Waits for a window titled "Warrow" to be mapped; its time in ms, -1 after a minute.
double WaitForShellWindow(const deskguard::CXConnection& x, Clock::time_point start) {
    const int fd = xcb_get_file_descriptor(x.Get());
    while (Since(start) < 60000) {
        xcb_generic_event_t* event = xcb_poll_for_event(x.Get());
        if (event == nullptr) {
            pollfd pfd{fd, POLLIN, 0};
            ::poll(&pfd, 1, 100);
            continue;
        }
        bool mapped = false;
        if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
            const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
            mapped = deskguard::WindowTitle(x, map->window) == "Warrow";
        }
        std::free(event);
        if (mapped) {
            return Since(start);
        }
    }
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    int runs = 20;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--runs") {
            runs = std::max(1, std::atoi(argv[++i]));
        }
    }
    const fs::path work = fs::temp_directory_path() / ("warrow-restart-" + std::to_string(::getpid()));
    const fs::path folder = work / "install";
    fs::create_directories(work / "run");
    ::setenv("XDG_RUNTIME_DIR", (work / "run").c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    ::setenv("WARROW_SERVICE_SOCKET", (work / "svc.sock").c_str(), 1);
    // Xvfb has no login manager: the service starts the shell as this user.
    ::setenv("WARROW_TEST_START_AS_ROOT", "1", 1);

    XvfbServer xvfb;
    if (xvfb.Display().empty()) {
        std::fprintf(stderr, "shell_restart_bench: Xvfb did not start\n");
        return 1;
    }
    ::setenv("DISPLAY", xvfb.Display().c_str(), 1);
    auto x = deskguard::CXConnection::Open(xvfb.Display().c_str());
    if (!x || !MakeFolder(folder)) {
        std::fprintf(stderr, "shell_restart_bench: no X connection or no installation folder\n");
        return 1;
    }
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x->Get(), x->Root(), XCB_CW_EVENT_MASK, &mask);
    x->Sync();

    const pid_t service = StartService(folder);
    int code = 1;
    std::vector<double> samples;
    const auto first = Clock::now();
    bool sent = false;
    for (int i = 0; i < 500 && !sent; ++i) {
        sent = platform::PostServiceMessage(platform::kChangeStyleMessage, 0);
        if (!sent) {
            ::usleep(10000);
        }
    }
    if (sent && WaitForShellWindow(*x, first) >= 0) {
        code = 0;
        for (int run = 0; run < runs; ++run) {
            const pid_t shell = ProcessOf(folder / "Warrow");
            if (shell == 0) {
                code = 1;
                break;
            }
            const auto start = Clock::now();
            ::kill(shell, SIGKILL);
            const double ms = WaitForShellWindow(*x, start);
            if (ms < 0) {
                std::fprintf(stderr, "shell_restart_bench: the shell did not come back\n");
                code = 1;
                break;
            }
            samples.push_back(ms);
            // The old process may still be a zombie for a moment; the new one runs.
            while (ProcessOf(folder / "Warrow") == shell) {
                ::usleep(1000);
            }
        }
    } else {
        std::fprintf(stderr, "shell_restart_bench: the shell did not start\n");
    }
    ::kill(service, SIGTERM);
    ::waitpid(service, nullptr, 0);
    if (const pid_t shell = ProcessOf(folder / "Warrow"); shell != 0) {
        ::kill(shell, SIGKILL);
    }
    if (!samples.empty()) {
        std::sort(samples.begin(), samples.end());
        std::printf("SIGKILL to shell window mapped again (%zu kills): median %.1f ms  worst %.1f ms\n",
                    samples.size(), samples[samples.size() / 2], samples.back());
    }
    fs::remove_all(work);
    return code;
}
