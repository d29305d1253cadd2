#include "platform/SystemUnitLauncher.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace platform {
namespace {

std::string Command(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0' ? value : fallback;
}

// Runs `arguments` (no shell) and collects its standard output; false unless
// it ran and exited with 0. Its error output goes to `error`.
bool Run(std::vector<std::string> arguments, std::string* output, std::string* error) {
    int out[2];
    int err[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        return false;
    }
    if (::pipe2(err, O_CLOEXEC) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    std::vector<char*> argv;
    for (auto& text : arguments) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    // The tools write little; reading one pipe to its end, then the other,
    // cannot block them for long.
    auto drain = [](int fd) {
        std::string text;
        char buffer[512];
        ssize_t n;
        while ((n = ::read(fd, buffer, sizeof buffer)) != 0) {
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                break;
            }
            if (text.size() < 64 * 1024) {
                text.append(buffer, static_cast<std::size_t>(n));
            }
        }
        ::close(fd);
        return text;
    };
    const std::string standardOutput = drain(out[0]);
    const std::string errorOutput = drain(err[0]);
    if (spawned != 0) {
        if (error) {
            *error = arguments[0] + ": " + std::strerror(spawned);
        }
        return false;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (output) {
        *output = standardOutput;
    }
    const bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!ok && error) {
        *error = arguments[0] + " failed: " + errorOutput;
        while (!error->empty() && (error->back() == '\n' || error->back() == ' ')) {
            error->pop_back();
        }
    }
    return ok;
}

std::string FileName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

bool RunningAsSystemUnit() {
    return std::getenv("INVOCATION_ID") != nullptr;
}

std::string TransientUnitName(const std::string& program) {
    static std::atomic<unsigned> counter{0};
    std::string name;
    for (char c : FileName(program)) {
        if (c >= 'A' && c <= 'Z') {
            name += static_cast<char>(c - 'A' + 'a');
        } else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
            name += c;
        }
    }
    if (name.empty()) {
        name = "program";
    }
    return "warrow-" + name + "-" + std::to_string(::getpid()) + "-" + std::to_string(++counter) + ".service";
}

bool StartInSystemUnit(const LaunchRequest& request, std::string* error, pid_t* pid) {
    const std::string unit = TransientUnitName(request.program);
    // Type=exec: systemd-run returns once the program runs (or failed to).
    // --collect: a unit that failed is forgotten too, so names never pile up.
    std::vector<std::string> run{Command("WARROW_SYSTEMD_RUN", "systemd-run"), "--quiet", "--collect",
                                 "--unit=" + unit, "--property=Type=exec"};
    if (request.asUser) {
        run.push_back("--uid=" + std::to_string(request.uid));
        run.push_back("--gid=" + std::to_string(request.gid));
        // The user's slice: the program ends when the user's last session does.
        run.push_back("--slice=user-" + std::to_string(request.uid) + ".slice");
    }
    if (!request.workingDirectory.empty()) {
        run.push_back("--working-directory=" + request.workingDirectory);
    }
    for (const auto& variable : request.environment) {
        if (variable.find('\n') != std::string::npos) {
            continue; // a unit's environment is line-based
        }
        run.push_back("--setenv=" + variable);
    }
    run.push_back("--");
    run.push_back(request.program);
    run.insert(run.end(), request.arguments.begin(), request.arguments.end());
    if (!Run(run, nullptr, error)) {
        errno = ENOEXEC;
        return false;
    }
    std::string mainPid;
    if (!Run({Command("WARROW_SYSTEMCTL", "systemctl"), "show", "--property=MainPID", "--value", unit},
             &mainPid, error)) {
        errno = ESRCH;
        return false;
    }
    if (pid != nullptr) {
        // 0 when the program has already ended again.
        *pid = static_cast<pid_t>(std::atol(mainPid.c_str()));
    }
    return true;
}

} // namespace platform
