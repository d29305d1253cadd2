// Which way the shell holds the programs it starts: a systemd user scope
// where a user manager answers, process groups otherwise.

#include "platform/UserScope.h"
#include "platform/ProcessLauncher.h"
#include "tests/support/PrivateUserManager.h"
#include "tests/support/Wait.h"
#include "tests/x11/Spawn.h"

#include <gtest/gtest.h>

#include <systemd/sd-bus.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

// Sets an environment variable for the test's length, or removes it.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        value != nullptr ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedVariable() { m_old ? ::setenv(m_name, m_old->c_str(), 1) : ::unsetenv(m_name); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

class UserScopeTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("user-scope-" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        if (m_daemon > 0) {
            ::kill(m_daemon, SIGTERM);
            ::waitpid(m_daemon, nullptr, 0);
        }
        fs::remove_all(m_dir);
    }

    // A session bus of the test's own, without systemd on it; its address,
    // empty when dbus-daemon did not start.
    std::string StartBusWithoutSystemd() {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0) {
            return {};
        }
        m_daemon = Spawn({"dbus-daemon", "--session", "--nofork", "--print-address",
                          "--address=unix:path=" + (m_dir / "bus").string()},
                         {{out[1], 1}, {-1, 2}});
        ::close(out[1]);
        std::string address;
        char ch = 0;
        while (m_daemon > 0 && ::read(out[0], &ch, 1) == 1 && ch != '\n') {
            address += ch;
        }
        ::close(out[0]);
        return address;
    }

    fs::path m_dir;
    pid_t m_daemon = -1;
};

TEST_F(UserScopeTest, WithoutSystemdOnTheUserBusProcessGroupsAreUsed) {
    ScopedVariable runtime("XDG_RUNTIME_DIR", m_dir.c_str());
    {
        ScopedVariable address("DBUS_SESSION_BUS_ADDRESS", nullptr);
        EXPECT_EQ(platform::UserManager::Connect(), nullptr) << "no user bus at all";
    }
    const std::string address = StartBusWithoutSystemd();
    if (address.empty()) {
        GTEST_SKIP() << "no dbus-daemon to run a user bus without systemd";
    }
    ScopedVariable bus("DBUS_SESSION_BUS_ADDRESS", address.c_str());
    sd_bus* probe = nullptr;
    ASSERT_GE(sd_bus_open_user(&probe), 0) << "the bus itself answers";
    sd_bus_flush_close_unref(probe);
    EXPECT_EQ(platform::UserManager::Connect(), nullptr) << "a bus without systemd is no user manager";
}

// Runs where `systemd --user` answers on the user's bus, or where the test
// can start one of its own (a build container, as root).
TEST_F(UserScopeTest, AScopeHoldsTheProgramAndWhatLeavesItsGroupUntilItIsEnded) {
    std::unique_ptr<testsupport::CPrivateUserManager> own;
    auto manager = platform::UserManager::Connect();
    if (!manager) {
        fs::create_directory(m_dir / "runtime");
        fs::permissions(m_dir / "runtime", fs::perms::owner_all);
        std::string whyNot;
        own = testsupport::CPrivateUserManager::Start(m_dir / "runtime", whyNot);
        if (!own) {
            GTEST_SKIP() << "no systemd user manager on this user's bus, and none could be started ("
                         << whyNot << "); the shell uses process groups";
        }
        manager = platform::UserManager::Connect();
        ASSERT_NE(manager, nullptr) << "the test's own user manager answers on its bus";
    }
    // The program starts a child in a session of its own, out of its group.
    platform::LaunchRequest request;
    request.program = "/bin/sh";
    request.arguments = {"-c",
                         "setsid sleep 1000 & echo $! > \"$0.tmp\" && mv \"$0.tmp\" \"$0\"; exec sleep 1000",
                         (m_dir / "escaped").string()};
    std::string scope;
    request.beforeExec = [&](pid_t pid) { scope = manager->StartScope(pid); };
    pid_t pid = 0;
    ASSERT_TRUE(platform::StartDetached(request, nullptr, &pid));
    ASSERT_EQ(scope, "warrow-app-" + std::to_string(pid) + ".scope");
    ASSERT_TRUE(testwait::ForFile(m_dir / "escaped"));
    pid_t escaped = 0;
    std::ifstream(m_dir / "escaped") >> escaped;
    ASSERT_GT(escaped, 0);
    std::ifstream cgroup("/proc/" + std::to_string(escaped) + "/cgroup");
    const std::string groups((std::istreambuf_iterator<char>(cgroup)), std::istreambuf_iterator<char>());
    EXPECT_NE(groups.find(scope), std::string::npos) << "the escaped child is still in the scope";
    EXPECT_TRUE(manager->Active(scope));

    EXPECT_TRUE(manager->Kill(scope, SIGKILL));
    EXPECT_TRUE(testwait::ForExit(pid) && testwait::ForExit(escaped));
}

} // namespace
