#pragma once
// A user manager (`systemd --user`) of a test's own, for the tests of the
// scopes the shell puts programs in, on machines that run no systemd (build
// containers).
//
// Only where the machine was not booted with systemd, the test runs as root,
// and the cgroup hierarchy is the hybrid one (a named "systemd" hierarchy,
// maybe with cgroup2 beside it at "unified"). The manager runs:
// - in a cgroup of its own: a manager at the root of the hierarchy would move
//   every process of the machine into its init.scope;
// - in a mount and cgroup namespace of its own, where its cgroup is the root,
//   only the systemd and unified hierarchies are mounted (it creates nothing
//   under the controllers' hierarchies), and /run/systemd/system exists (a
//   manager refuses to run on a machine not booted with systemd);
// - with XDG_RUNTIME_DIR a folder of the test's own, starting only
//   dbus.socket: the user bus at $XDG_RUNTIME_DIR/bus, with the manager on it.
// While it lives, XDG_RUNTIME_DIR names the test's folder and
// DBUS_SESSION_BUS_ADDRESS is unset, so that the user's bus is its bus.
// Ending it (SIGTERM) stops every unit it started; its cgroups are removed
// and the two variables are restored.

#include "tests/support/Wait.h"

#include <systemd/sd-bus.h>

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace testsupport {

class CPrivateUserManager {
public:
    // Null, with the reason in `whyNot`, where no manager can be started.
    // `runtimeDir` must exist and be empty; it holds the user bus.
    static std::unique_ptr<CPrivateUserManager> Start(const std::filesystem::path& runtimeDir,
                                                      std::string& whyNot) {
        namespace fs = std::filesystem;
        std::error_code error;
        if (::geteuid() != 0) {
            whyNot = "a user manager of the test's own needs root (its cgroups)";
            return nullptr;
        }
        if (fs::exists("/run/systemd/system", error)) {
            whyNot = "this machine runs systemd: the test uses the user's own manager or none";
            return nullptr;
        }
        if (!fs::exists(kSystemd, error) || !fs::exists(kHybridRoot + "/cgroup.procs", error)) {
            whyNot = "no systemd, or no named systemd cgroup hierarchy at " + kHybridRoot;
            return nullptr;
        }
        RemoveLeftovers();
        std::unique_ptr<CPrivateUserManager> manager(new CPrivateUserManager(runtimeDir));
        if (!manager->Launch(whyNot) || !manager->WaitForBus(whyNot)) {
            return nullptr;
        }
        manager->PointTheUserBusAtIt();
        return manager;
    }

    ~CPrivateUserManager() {
        if (m_bPointed) {
            Restore("XDG_RUNTIME_DIR", m_oldRuntimeDir);
            Restore("DBUS_SESSION_BUS_ADDRESS", m_oldBusAddress);
        }
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            if (!testwait::ForExit(m_pid)) {
                ::kill(m_pid, SIGKILL);
            }
            ::waitpid(m_pid, nullptr, 0);
        }
        // What a manager that did not stop in time left running goes with its
        // cgroups.
        for (const std::filesystem::path& root : m_cgroups) {
            for (int round = 0; round < 2; ++round) {
                for (const std::filesystem::path& group : Below(root)) {
                    std::ifstream procs(group / "cgroup.procs");
                    for (pid_t pid = 0; procs >> pid;) {
                        ::kill(pid, SIGKILL);
                        testwait::ForExit(pid);
                    }
                }
            }
            for (const std::filesystem::path& group : Below(root)) {
                ::rmdir(group.c_str());
            }
        }
    }

    CPrivateUserManager(const CPrivateUserManager&) = delete;
    CPrivateUserManager& operator=(const CPrivateUserManager&) = delete;

    // The value of XDG_RUNTIME_DIR under which the manager's bus answers.
    const std::filesystem::path& RuntimeDir() const { return m_runtimeDir; }

private:
    inline static const std::string kSystemd = "/lib/systemd/systemd";
    inline static const std::string kHybridRoot = "/sys/fs/cgroup/systemd";
    inline static const std::string kUnifiedRoot = "/sys/fs/cgroup/unified";

    using fs_iterator = std::filesystem::recursive_directory_iterator;

    explicit CPrivateUserManager(std::filesystem::path runtimeDir) : m_runtimeDir(std::move(runtimeDir)) {}

    static std::optional<std::string> Variable(const char* name) {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    }
    static void Restore(const char* name, const std::optional<std::string>& value) {
        value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
    }
    void PointTheUserBusAtIt() {
        m_oldRuntimeDir = Variable("XDG_RUNTIME_DIR");
        m_oldBusAddress = Variable("DBUS_SESSION_BUS_ADDRESS");
        ::setenv("XDG_RUNTIME_DIR", m_runtimeDir.c_str(), 1);
        ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
        m_bPointed = true;
    }

    // A cgroup tree, deepest first.
    static std::vector<std::filesystem::path> Below(const std::filesystem::path& root) {
        std::vector<std::filesystem::path> groups;
        std::error_code error;
        for (fs_iterator it(root, error), end; !error && it != end; it.increment(error)) {
            if (it->is_directory(error)) {
                groups.push_back(it->path());
            }
        }
        std::sort(groups.begin(), groups.end(),
                  [](const auto& a, const auto& b) { return a.native().size() > b.native().size(); });
        groups.push_back(root);
        return groups;
    }

    inline static const std::string kPrefix = "warrow-test-user-manager-";

    // A test killed before it could clean up (a timeout) leaves its cgroups;
    // its manager went with it (it ends with the test). Empty ones of tests
    // no longer running are removed; anything still inside is left alone.
    static void RemoveLeftovers() {
        std::error_code error;
        for (const std::string& root : {kHybridRoot, kUnifiedRoot}) {
            for (std::filesystem::directory_iterator it(root, error), end; !error && it != end;
                 it.increment(error)) {
                const std::string name = it->path().filename().string();
                if (name.rfind(kPrefix, 0) != 0) {
                    continue;
                }
                const std::string owner =
                    name.substr(kPrefix.size(), name.find('-', kPrefix.size()) - kPrefix.size());
                if (!owner.empty() && !std::filesystem::exists("/proc/" + owner, error)) {
                    for (const std::filesystem::path& group : Below(it->path())) {
                        ::rmdir(group.c_str());
                    }
                }
            }
        }
    }

    bool Launch(std::string& whyNot) {
        namespace fs = std::filesystem;
        std::error_code error;
        const std::string name = kPrefix + std::to_string(::getpid()) + "-" +
                                 std::to_string(reinterpret_cast<std::uintptr_t>(this) & 0xffff);
        m_cgroups.push_back(fs::path(kHybridRoot) / name);
        // Beside the named hierarchy the manager also uses cgroup2 when it is there.
        const bool unified = fs::exists(kUnifiedRoot + "/cgroup.controllers", error);
        if (unified) {
            m_cgroups.push_back(fs::path(kUnifiedRoot) / name);
        }
        for (const fs::path& group : m_cgroups) {
            if (!fs::create_directory(group, error)) {
                whyNot = "cannot make the cgroup " + group.string() + ": " + error.message();
                return false;
            }
        }

        // Everything the child needs is made before the fork: after it only
        // system calls run.
        const std::string log = (m_runtimeDir.parent_path() / "user-manager.log").string();
        std::vector<std::string> environment{
            "XDG_RUNTIME_DIR=" + m_runtimeDir.string(),
            "HOME=" + std::string(std::getenv("HOME") ? std::getenv("HOME") : "/root"),
            "PATH=/usr/sbin:/usr/bin:/sbin:/bin",
            "LANG=C.UTF-8",
            "SYSTEMD_LOG_TARGET=console",
            "SYSTEMD_LOG_LEVEL=info"};
        std::vector<char*> envp;
        for (std::string& variable : environment) {
            envp.push_back(variable.data());
        }
        envp.push_back(nullptr);
        std::string program = kSystemd, user = "--user", unit = "--unit=dbus.socket";
        char* argv[] = {program.data(), user.data(), unit.data(), nullptr};
        m_log = log;
        const int logFd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        int gate[2];
        if (logFd < 0 || ::pipe2(gate, O_CLOEXEC) != 0) {
            whyNot = "no log file or pipe for the user manager";
            return false;
        }
        const pid_t pid = ::fork();
        if (pid == 0) {
            // Ends with the test, which cleans up after it.
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            ::close(gate[1]);
            char ch = 0;
            while (::read(gate[0], &ch, 1) > 0) {
            }
            ::dup2(logFd, 1);
            ::dup2(logFd, 2);
            // Steps the log names when one fails: 10 + the step.
            if (::unshare(CLONE_NEWNS | CLONE_NEWCGROUP) != 0)
                ::_exit(11);
            if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
                ::_exit(12);
            if (::mount("tmpfs", "/run/systemd", "tmpfs", 0, "mode=0755") != 0 &&
                ::mount("tmpfs", "/run", "tmpfs", 0, "mode=0755") != 0)
                ::_exit(13);
            ::mkdir("/run/systemd", 0755);
            ::mkdir("/run/systemd/system", 0755);
            if (::mount("tmpfs", "/sys/fs/cgroup", "tmpfs", 0, "mode=0755") != 0)
                ::_exit(14);
            ::mkdir("/sys/fs/cgroup/systemd", 0755);
            if (::mount("cgroup", "/sys/fs/cgroup/systemd", "cgroup", 0, "none,name=systemd") != 0)
                ::_exit(15);
            if (unified) {
                ::mkdir("/sys/fs/cgroup/unified", 0755);
                if (::mount("cgroup2", "/sys/fs/cgroup/unified", "cgroup2", 0, nullptr) != 0)
                    ::_exit(16);
            }
            ::execve(argv[0], argv, envp.data());
            ::_exit(17);
        }
        ::close(gate[0]);
        ::close(logFd);
        if (pid < 0) {
            ::close(gate[1]);
            whyNot = "fork failed";
            return false;
        }
        m_pid = pid;
        // Into its cgroups before it makes its namespace, so that its cgroup
        // is the namespace's root.
        bool moved = true;
        for (const fs::path& group : m_cgroups) {
            std::ofstream procs(group / "cgroup.procs");
            procs << pid << std::flush;
            moved = moved && procs.good();
        }
        ::close(gate[1]);
        if (!moved) {
            whyNot = "cannot move the user manager into its cgroups";
            return false;
        }
        return true;
    }

    // Ready once the manager owns its name on the user bus.
    bool WaitForBus(std::string& whyNot) {
        const std::filesystem::path socket = m_runtimeDir / "bus";
        if (!testwait::ForFile(socket)) {
            whyNot = "the user manager opened no bus socket: " + Log();
            return false;
        }
        sd_bus* bus = nullptr;
        const std::string address = "unix:path=" + socket.string();
        bool owned = false;
        if (sd_bus_new(&bus) >= 0 && sd_bus_set_address(bus, address.c_str()) >= 0 &&
            sd_bus_set_bus_client(bus, 1) >= 0 && sd_bus_start(bus) >= 0) {
            // The match is set before the question, so that the name taken in
            // between is not missed.
            sd_bus_slot* slot = nullptr;
            sd_bus_match_signal(
                bus, &slot, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                "NameOwnerChanged",
                [](sd_bus_message* message, void* owned, sd_bus_error*) {
                    const char *name = nullptr, *before = nullptr, *after = nullptr;
                    if (sd_bus_message_read(message, "sss", &name, &before, &after) >= 0 &&
                        std::string(name) == "org.freedesktop.systemd1" && after != nullptr && *after) {
                        *static_cast<bool*>(owned) = true;
                    }
                    return 0;
                },
                &owned);
            sd_bus_error error = SD_BUS_ERROR_NULL;
            sd_bus_message* reply = nullptr;
            int has = 0;
            if (sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                   "org.freedesktop.DBus", "NameHasOwner", &error, &reply, "s",
                                   "org.freedesktop.systemd1") >= 0 &&
                sd_bus_message_read(reply, "b", &has) >= 0 && has) {
                owned = true;
            }
            sd_bus_message_unref(reply);
            sd_bus_error_free(&error);
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
            while (!owned && std::chrono::steady_clock::now() < deadline) {
                const int r = sd_bus_process(bus, nullptr);
                if (r < 0 || (r == 0 && sd_bus_wait(bus, 1'000'000) < 0)) {
                    break;
                }
            }
            sd_bus_slot_unref(slot);
        }
        sd_bus_flush_close_unref(bus);
        if (!owned) {
            whyNot = "the user manager did not come onto its bus: " + Log();
        }
        return owned;
    }

    std::string Log() const {
        std::ifstream in(m_log);
        std::stringstream text;
        text << in.rdbuf();
        return text.str().substr(0, 2000);
    }

    std::filesystem::path m_runtimeDir;
    std::filesystem::path m_log;
    std::vector<std::filesystem::path> m_cgroups;
    pid_t m_pid = -1;
    std::optional<std::string> m_oldRuntimeDir;
    std::optional<std::string> m_oldBusAddress;
    bool m_bPointed = false;
};

} // namespace testsupport
