#include "platform/SystemUnitLauncher.h"
#include "tests/support/PrivateUserManager.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// systemd-run and systemctl stand-ins: the first records its arguments one a
// line (or fails with a message when told to), the second answers a main pid.
class SystemUnitLauncherTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("unit-launch-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        Script("systemd-run",
               "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$(dirname \"$0\")/run.args\"\n"
               "if [ -e \"$(dirname \"$0\")/fail\" ]; then echo 'Failed to start unit' >&2; exit 1; fi\n");
        Script("systemctl", "echo \"$*\" > \"$(dirname \"$0\")/ctl.args\"\necho 4242\n");
        ::setenv("WARROW_SYSTEMD_RUN", (m_dir / "systemd-run").c_str(), 1);
        ::setenv("WARROW_SYSTEMCTL", (m_dir / "systemctl").c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("WARROW_SYSTEMD_RUN");
        ::unsetenv("WARROW_SYSTEMCTL");
        fs::remove_all(m_dir);
    }
    void Script(const char* name, const std::string& body) {
        std::ofstream(m_dir / name) << "#!/bin/sh\n" << body;
        ::chmod((m_dir / name).c_str(), 0755);
    }
    std::string Read(const char* name) const {
        std::ifstream in(m_dir / name);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    fs::path m_dir;
};

TEST_F(SystemUnitLauncherTest, StartsAsTheUserInTheUsersSliceAndTellsTheMainPid) {
    platform::LaunchRequest request{"/opt/warrow/Warrow",
                                    {"--x", "two words"},
                                    "/opt/warrow",
                                    {"DISPLAY=:0", "EVIL=a\nExecStart=/bin/sh"},
                                    true,
                                    1001,
                                    1002,
                                    {}};
    pid_t pid = 0;
    std::string error;
    ASSERT_TRUE(platform::StartInSystemUnit(request, &error, &pid)) << error;
    EXPECT_EQ(pid, 4242);
    const std::string args = Read("run.args");
    const std::string unit = args.substr(args.find("--unit=") + 7,
                                         args.find('\n', args.find("--unit=")) - args.find("--unit=") - 7);
    EXPECT_EQ(unit.rfind("warrow-warrow-" + std::to_string(::getpid()) + "-", 0), 0u) << unit;
    EXPECT_EQ(args, "--quiet\n--collect\n--unit=" + unit +
                        "\n--property=Type=exec\n--uid=1001\n--gid=1002\n--slice=user-1001.slice\n"
                        "--working-directory=/opt/warrow\n--setenv=DISPLAY=:0\n--\n/opt/warrow/Warrow\n--x\n"
                        "two words\n")
        << "a variable with a line break is dropped";
    EXPECT_EQ(Read("ctl.args"), "show --property=MainPID --value " + unit + "\n");
    EXPECT_NE(platform::TransientUnitName("/opt/warrow/Warrow"),
              platform::TransientUnitName("/opt/warrow/Warrow"));
}

TEST_F(SystemUnitLauncherTest, AFailedStartIsReportedWithSystemdsReason) {
    std::ofstream(m_dir / "fail");
    std::string error;
    EXPECT_FALSE(platform::StartInSystemUnit({"/bin/true", {}, "", {}, false, 0, 0, {}}, &error));
    EXPECT_NE(error.find("Failed to start unit"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(m_dir / "ctl.args")) << "no main pid asked for";

    ::setenv("WARROW_SYSTEMD_RUN", (m_dir / "missing").c_str(), 1);
    EXPECT_FALSE(platform::StartInSystemUnit({"/bin/true", {}, "", {}, false, 0, 0, {}}, &error));
    EXPECT_NE(error.find("missing"), std::string::npos) << error;
}

// The real systemd-run and systemctl, against a manager of the test's own
// (the user manager standing in for the system's: the service's requests are
// the same), where none runs: the program runs as the request's user, in the
// user's slice, in the unit named, and its main pid is the one reported.
TEST_F(SystemUnitLauncherTest, ARealManagerRunsTheProgramAsTheUserInItsUnit) {
    fs::create_directory(m_dir / "runtime");
    fs::permissions(m_dir / "runtime", fs::perms::owner_all);
    std::string whyNot;
    auto manager = testsupport::CPrivateUserManager::Start(m_dir / "runtime", whyNot);
    if (!manager) {
        GTEST_SKIP() << "no manager of the test's own could be started (" << whyNot << ")";
    }
    Script("systemd-run", "exec systemd-run --user \"$@\"\n");
    Script("systemctl", "exec systemctl --user \"$@\"\n");
    constexpr uid_t kNobody = 65534;
    pid_t pid = 0;
    std::string error;
    ASSERT_TRUE(platform::StartInSystemUnit(
        {"/bin/sleep", {"1000"}, "/", {"WARROW_MARK=1"}, true, kNobody, kNobody, {}}, &error, &pid))
        << error;
    ASSERT_GT(pid, 0);
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    bool asNobody = false;
    while (std::getline(status, line)) {
        asNobody |= line.rfind("Uid:\t65534\t65534", 0) == 0;
    }
    EXPECT_TRUE(asNobody) << "the main pid runs as the request's user";
    std::ifstream cgroup("/proc/" + std::to_string(pid) + "/cgroup");
    const std::string groups((std::istreambuf_iterator<char>(cgroup)), std::istreambuf_iterator<char>());
    EXPECT_NE(groups.find("user-65534.slice/warrow-sleep-" + std::to_string(::getpid()) + "-"),
              std::string::npos)
        << groups;
    std::ifstream environ("/proc/" + std::to_string(pid) + "/environ");
    const std::string variables((std::istreambuf_iterator<char>(environ)), std::istreambuf_iterator<char>());
    EXPECT_NE(variables.find("WARROW_MARK=1"), std::string::npos);
    ::kill(pid, SIGKILL);
}

} // namespace
