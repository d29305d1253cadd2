// child_write_bench [--runs N] [--interval-ms M]      (default: 20 stores, one a second)
//
// A child account's shell stores its counters through the service instead of
// replacing Config.ini itself. This compares, at the shell's pace of one
// store a second, a direct store (CIni's atomic replace, what the shell does
// in the shared-account mode) with a store through a real service: the
// shell's own cost (posting the datagram) and the time until the new file is
// in place (the service's check and replace, seen through inotify).

#include "ltl/CIni.h"
#include "platform/ServiceRequest.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <string>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

std::string StoreText(int count) {
    return "Time/TimeStyle=0\nTime/CountTime=" + std::to_string(count) +
           "\nUsage/Day=0\nUsage/Minute=0\nUsage/Extra=0\nUsage/Apps=";
}

std::vector<ltl::CIni::Entry> StoreEntries(int count) {
    return {{"Time", "TimeStyle", "0"}, {"Time", "CountTime", std::to_string(count)},
            {"Usage", "Day", "0"},      {"Usage", "Minute", "0"},
            {"Usage", "Extra", "0"},    {"Usage", "Apps", ""}};
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

// Waits for Config.ini to be replaced (the service renames a new file over it).
bool WaitForReplace(int watch, int timeoutMs) {
    pollfd fd{watch, POLLIN, 0};
    while (::poll(&fd, 1, timeoutMs) > 0) {
        alignas(inotify_event) char buffer[4096];
        const ssize_t n = ::read(watch, buffer, sizeof buffer);
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->len > 0 && std::strcmp(event->name, "Config.ini") == 0) {
                return true;
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    return false;
}

void Report(const char* what, std::vector<double> micros) {
    std::sort(micros.begin(), micros.end());
    std::printf("%-38s median %8.1f us  worst %8.1f us\n", what, micros[micros.size() / 2], micros.back());
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    int runs = 20;
    int intervalMs = 1000;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--runs") == 0) {
            runs = std::max(1, std::atoi(argv[i + 1]));
        } else if (std::strcmp(argv[i], "--interval-ms") == 0) {
            intervalMs = std::max(0, std::atoi(argv[i + 1]));
        }
    }
    const fs::path folder = fs::temp_directory_path() / ("warrow-child-write-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    if (std::system(("'" WARROWCTL "' --dir '" + folder.string() + "' init >/dev/null 2>&1").c_str()) != 0) {
        std::fprintf(stderr, "warrowctl init failed\n");
        return 1;
    }
    fs::copy_file(WARROW_SERVICE, folder / "WarrowSvc");
    fs::current_path(folder);
    const std::string socket = (folder / "svc.sock").string();
    ::setenv("WARROW_SERVICE_SOCKET", socket.c_str(), 1);
    const int watch = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    ::inotify_add_watch(watch, folder.c_str(), IN_MOVED_TO | IN_CREATE);
    const pid_t service = StartService(folder);
    // The service's socket appears once its loop is about to run.
    while (!fs::exists(socket)) {
        pollfd fd{watch, POLLIN, 0};
        if (::poll(&fd, 1, 10000) <= 0) {
            std::fprintf(stderr, "the service did not start\n");
            ::kill(service, SIGKILL);
            return 1;
        }
        char drain[4096];
        while (::read(watch, drain, sizeof drain) > 0) {
        }
    }

    std::vector<double> direct, posted, landed;
    int count = 0;
    for (int run = 0; run < runs; ++run) {
        std::this_thread::sleep_for(std::chrono::milliseconds(intervalMs));
        count += intervalMs;
        auto start = Clock::now();
        ltl::CIni ini(false, -1, "");
        ini.Open("Config.ini");
        ini.SetStrings(StoreEntries(count));
        direct.push_back(Since(start));
        WaitForReplace(watch, 0); // our own replace

        std::this_thread::sleep_for(std::chrono::milliseconds(intervalMs));
        count += intervalMs;
        start = Clock::now();
        if (!platform::PostServiceRequest(platform::kStoreTimeRequest, StoreText(count))) {
            std::fprintf(stderr, "no service\n");
            break;
        }
        posted.push_back(Since(start));
        if (!WaitForReplace(watch, 10000)) {
            std::fprintf(stderr, "the service did not store run %d\n", run);
            break;
        }
        landed.push_back(Since(start));
    }
    ::kill(service, SIGTERM);
    ::waitpid(service, nullptr, 0);
    fs::current_path("/");
    fs::remove_all(folder);
    if (direct.empty() || landed.size() != direct.size()) {
        return 1;
    }
    std::printf("%d stores each, one every %d ms\n", runs, intervalMs);
    Report("direct (the shell replaces Config.ini)", direct);
    Report("through the service: the shell's cost", posted);
    Report("through the service: until stored", landed);
    std::printf("ratio, until stored / direct (medians): %.2f\n", Median(landed) / Median(direct));
    std::printf("ratio, the shell's cost / direct (medians): %.2f\n", Median(posted) / Median(direct));
    return 0;
}
