// The real shell in a child account's session on an Xvfb, beside a real
// service: the installation is root's, the shell runs as a second, real user
// (created and removed here) and still counts play time and writes activity
// lines, all through the service.

#include "tests/core/InstallationFolder.h"
#include "tests/service/ChildInstallation.h"
#include "tests/service/ServiceProcess.h"
#include "tests/support/TestUser.h"
#include "tests/support/Wait.h"
#include "tests/x11/TestWindowProcess.h"
#include "tests/x11/XvfbServer.h"

#include "core/CWarrowLog.h"
#include "core/ChildAccounts.h"
#include "core/ChildView.h"
#include "core/UsageClock.h"
#include "ltl/CIni.h"
#include "platform/ServiceRequest.h"
#include "platform/SingleInstance.h"

#include <csignal>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

class ShellChildAccountTest : public InstallationFolder {
protected:
    void SetUp() override {
        if (::geteuid() != 0) {
            GTEST_SKIP() << "needs root: a second, real user is created for the child";
        }
        m_server = std::make_unique<XvfbServer>();
        if (m_server->Display().empty()) {
            GTEST_SKIP() << "no Xvfb";
        }
        InstallationFolder::SetUp();
        m_user = std::make_unique<TestUser>("wshk");
        ASSERT_TRUE(m_user->Created());
        m_uid = m_user->Uid();
        m_gid = m_user->Gid();

        fs::copy_file(WARROW_SHELL, m_folder / "Warrow");
        fs::create_directory_symlink(fs::path(std::getenv("WARROW_BINARY_DIR")) / "Resource",
                                     m_folder / "Resource");
        const std::string today = std::to_string(core::CSystemUsageClock().Now().Day);
        ASSERT_TRUE(ltl::CIni(false, -1, "", "Config.ini")
                        .SetStrings({{"Setup", "IsAutoStart", "0"},
                                     {"Time", "PlayTime", "7200000"},
                                     {"Time", "TimeStyle", "0"},
                                     {"Time", "CountTime", "0"},
                                     {"Usage", "Day", today}}));
        ASSERT_TRUE(child_accounts::Mark("Config.ini", m_user->Name(), true));
        ASSERT_NO_FATAL_FAILURE(ProtectFromChild());

        // The child's own home and runtime folder, as its session has them.
        m_home = fs::temp_directory_path() / ("wshk-home-" + std::to_string(::getpid()));
        fs::create_directories(m_home / "run");
        ASSERT_EQ(::chown(m_home.c_str(), m_uid, m_gid), 0);
        ASSERT_EQ(::chown((m_home / "run").c_str(), m_uid, m_gid), 0);
        ::chmod((m_home / "run").c_str(), 0700);

        m_service = std::make_unique<ServiceProcess>(m_folder);
        ::setenv("WARROW_SERVICE_SOCKET", m_service->Socket().c_str(), 1);
        m_service->SetSeatUser(m_uid);
        m_service->Start();
        ASSERT_TRUE(m_service->WaitForOutput("Begin Run Msg\n")) << m_service->Out();
    }

    void TearDown() override {
        if (::geteuid() != 0 || m_server == nullptr || m_server->Display().empty()) {
            return;
        }
        m_service.reset();
        ::unsetenv("WARROW_SERVICE_SOCKET");
        fs::remove_all(m_home);
        m_user.reset();
        InstallationFolder::TearDown();
        m_server.reset();
    }

    // ./Warrow as `uid`, in the child's environment.
    std::unique_ptr<TestWindowProcess> ShellAs(uid_t uid, gid_t gid,
                                               const std::vector<std::string>& arguments = {}) {
        ::setenv("DISPLAY", m_server->Display().c_str(), 1);
        ::setenv("HOME", m_home.c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", (m_home / "run").c_str(), 1);
        ::unsetenv("QT_QPA_PLATFORM");
        std::vector<std::string> args = {"--reuid=" + std::to_string(uid), "--regid=" + std::to_string(gid),
                                         "--clear-groups", "--", "./Warrow"};
        args.insert(args.end(), arguments.begin(), arguments.end());
        return std::make_unique<TestWindowProcess>("/usr/bin/setpriv", args);
    }

    static int CountTime() { return ltl::CIni(false, -1, "", "Config.ini").GetInt("Time", "CountTime"); }
    static bool Logged(const std::string& line) {
        CWarrowLog log;
        log.Init(kDataBasePath, kDataBasePassword);
        bool found = false;
        log.ForEach([&](tagLogInfo& info) { found = found || info.Content == line; });
        CDBManager::Destroy();
        return found;
    }
    // The service replaces Config.ini for each store it accepts.
    bool UntilCounted(int count) {
        return testwait::ForChange(
            m_folder, [count] { return CountTime() >= count; }, std::chrono::minutes(1));
    }
    // The service writes its lines into the database's log beside it.
    bool UntilLogged(const std::string& line) {
        return testwait::ForChange(
            m_folder / "DataBase", [&line] { return Logged(line); }, std::chrono::minutes(1));
    }

    std::unique_ptr<XvfbServer> m_server;
    std::unique_ptr<ServiceProcess> m_service;
    std::unique_ptr<TestUser> m_user;
    uid_t m_uid = 0;
    gid_t m_gid = 0;
    fs::path m_home;
};

TEST_F(ShellChildAccountTest, TheShellCountsAndLogsThroughTheService) {
    auto shell = ShellAs(m_uid, m_gid);
    ASSERT_TRUE(UntilCounted(2000)) << "the service stores the shell's count\n" << m_service->Out();
    // Killed, and back at the child's next login: the count goes on.
    ::kill(shell->Pid(), SIGKILL);
    shell->Wait();
    const int before = CountTime();
    shell = ShellAs(m_uid, m_gid);
    ASSERT_TRUE(UntilCounted(before + 2000)) << m_service->Out();
    EXPECT_EQ(m_service->Out().find("Refused"), std::string::npos) << m_service->Out();
    // Someone else's quit request is ignored, and the shell says so in the log.
    ASSERT_TRUE(testwait::ForFile(platform::InstanceMailboxPath("Warrow")));
    fs::permissions(m_home / "run", fs::perms::owner_all | fs::perms::others_exec);
    constexpr uid_t kNobody = 65534;
    const pid_t sender = ::fork();
    if (sender == 0) {
        const bool sent = ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 &&
                          platform::PostToInstance("Warrow", "WM_QUIT", 0);
        ::_exit(sent ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(sender, &status, 0), sender);
    ASSERT_EQ(status, 0) << "the request was sent";
    const std::string line = "忽略了退出请求(用户" + std::to_string(kNobody) + ").";
    ASSERT_TRUE(UntilLogged(line)) << m_service->Out();

    // The settings stayed root's; the child read its copy.
    struct stat st {};
    ASSERT_EQ(::stat("Config.ini", &st), 0);
    EXPECT_EQ(st.st_uid, 0u);
    EXPECT_TRUE(fs::exists(core::kChildViewPath));
    // Root's "/q" ends it; the child's session ends with it, so the shell
    // asks for no console on its way out.
    EXPECT_EQ(ShellAs(0, 0, {"/q"})->Wait(), 0);
    EXPECT_EQ(shell->Wait(), 0);
    // Requests are handled in order: once a later line is stored, an earlier
    // console request would have been refused and logged.
    ASSERT_TRUE(platform::PostServiceRequest(platform::kLogLineRequest, "after the shell"));
    ASSERT_TRUE(UntilLogged("after the shell")) << m_service->Out();
    EXPECT_EQ(m_service->Out().find("ChangeStyle"), std::string::npos) << m_service->Out();
}

} // namespace
