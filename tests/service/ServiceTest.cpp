#include "ltl/CIni.h"
#include "platform/ServiceChannel.h"
#include "tests/core/InstallationFolder.h"
#include "tests/service/ServiceProcess.h"
#include <algorithm>

#include <cerrno>
#include <csignal>
#include <grp.h>
#include <sys/wait.h>

namespace {

// A service in a fresh installation folder, with stand-ins for the child shell
// and the parent console that record their start and working directory.
class ServiceTest : public InstallationFolder {
protected:
    void SetUp() override {
        InstallationFolder::SetUp();
        // The child shell stays until it is ended (the service starts an ended
        // one again); the console ends at once.
        WriteScript(m_folder / "Warrow", "echo $$ >> \"$(dirname \"$0\")/shell.pids\"\n"
                                         "echo \"Warrow $(pwd)\" >> \"$(dirname \"$0\")/started.log\"\n"
                                         "exec sleep 100000\n");
        WriteScript(m_folder / "WarrowTray",
                    "echo \"WarrowTray $(pwd)\" >> \"$(dirname \"$0\")/started.log\"\n");
        m_service = std::make_unique<ServiceProcess>(m_folder);
        ::setenv("WARROW_SERVICE_SOCKET", m_service->Socket().c_str(), 1);
    }
    void TearDown() override {
        m_service.reset();
        // Every shell a test started: the stand-ins and the counting ones.
        std::istringstream pids(ServiceProcess::Read(m_folder / "shell.pids"));
        for (pid_t pid = 0; pids >> pid;) {
            ::kill(pid, SIGKILL);
        }
        std::istringstream resumes(ServiceProcess::Read(m_folder / "counter.log"));
        std::string word;
        for (long value = 0, pid = 0; resumes >> word >> value >> pid;) {
            ::kill(static_cast<pid_t>(pid), SIGKILL);
        }
        ::unsetenv("WARROW_SERVICE_SOCKET");
        InstallationFolder::TearDown();
    }

    // The account record the parent console writes once an account is set up.
    void SetAccount(int id) {
        CWarrowCoreInterface::Get()->Init(kDataBasePath, kDataBasePassword, nullptr);
        auto& info = CWarrowCoreInterface::Get()->GetDBConfig()->GetInfo();
        info.ID = id;
        info.Style = 1;
        ASSERT_TRUE(CWarrowCoreInterface::Get()->GetDBConfig()->Save());
        CWarrowCoreInterface::Free();
        CDBManager::Destroy();
    }
    void SetSetup(int isAutoStart, int startStyle) {
        ltl::CIni ini(false, -1, "", "Config.ini");
        ini.SetInt("Setup", "IsAutoStart", isAutoStart);
        ini.SetInt("Setup", "StartStyle", startStyle);
    }

    // Starts the service and waits until its loop runs.
    void StartService() {
        m_service->Start();
        ASSERT_TRUE(m_service->WaitForOutput("Begin Run Msg\n")) << m_service->Out();
    }
    void StopService() {
        EXPECT_EQ(m_service->StopWith(SIGTERM), 0);
        EXPECT_NE(m_service->Out().find("Warrow is Safe Quit!\n"), std::string::npos) << m_service->Out();
    }

    std::vector<std::string> Started() const {
        std::vector<std::string> lines;
        std::istringstream in(ServiceProcess::Read(m_folder / "started.log"));
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }
    bool WaitForStarts(std::size_t count) {
        return ServiceProcess::Until([&] { return Started().size() >= count; });
    }
    std::string Line(const char* program) const { return std::string(program) + " " + m_folder.string(); }

    std::unique_ptr<ServiceProcess> m_service;
};

TEST_F(ServiceTest, WithoutAccountTheConsoleStartsWhateverIsAutoStartSays) {
    SetSetup(0, 0);
    StartService();
    ASSERT_TRUE(WaitForStarts(1));
    EXPECT_EQ(Started(), std::vector<std::string>{Line("WarrowTray")});

    const std::string out = m_service->Out();
    EXPECT_NE(out.find("Warrow is starting.... please wait\n开始启动MFC\n"), std::string::npos) << out;
    EXPECT_NE(out.find("id=-1, style=0\n读取完成\nWarrow finished.\nBegin Run Msg\n"), std::string::npos)
        << out;
    // The service is one thread: its main thread's id is the process id.
    EXPECT_EQ(ltl::CIni(false, -1, "", "Config.ini").GetInt("System", "ID"), m_service->Pid());
    EXPECT_TRUE(std::filesystem::exists(m_service->Socket()));

    StopService();
    EXPECT_FALSE(std::filesystem::exists(m_service->Socket()));
}

TEST_F(ServiceTest, WithoutAccountAutoStartOfTheShellStartsTheConsole) {
    SetSetup(1, 0); // ID -1: nobody set an account up, so the child shell must not start
    StartService();
    ASSERT_TRUE(WaitForStarts(1));
    EXPECT_EQ(Started(), std::vector<std::string>{Line("WarrowTray")});
    StopService();
}

TEST_F(ServiceTest, AutoStartStartsTheProgramOfTheStartStyle) {
    SetAccount(5);
    for (const auto& [style, expected] : {std::pair{0, "Warrow"}, std::pair{1, "WarrowTray"}}) {
        std::filesystem::remove(m_folder / "started.log");
        SetSetup(1, style);
        StartService();
        EXPECT_NE(m_service->Out().find("id=5, style=1\n"), std::string::npos);
        ASSERT_TRUE(WaitForStarts(1));
        EXPECT_EQ(Started(), std::vector<std::string>{Line(expected)}) << "StartStyle " << style;
        StopService();
    }
}

TEST_F(ServiceTest, WithChildAccountsAutoStartLeavesTheShellToTheirSessions) {
    SetAccount(5);
    SetSetup(1, 0);
    ltl::CIni(false, -1, "", "Config.ini").SetString("ChildAccounts", "Users", "kid");
    StartService();
    EXPECT_NE(m_service->Out().find("child accounts: their sessions start Warrow\n"), std::string::npos)
        << m_service->Out();
    // A request still starts it: the parent may hand over the own desktop.
    ASSERT_TRUE(platform::PostServiceMessage(platform::kChangeStyleMessage, 0));
    ASSERT_TRUE(WaitForStarts(1));
    EXPECT_EQ(Started(), std::vector<std::string>{Line("Warrow")}) << "nothing started before the request";
    StopService();
}

TEST_F(ServiceTest, AutoStartOfAnUnknownStyleStartsNothing) {
    SetAccount(5);
    SetSetup(1, 2);
    // Without its programs every start the service tries is logged before its
    // set-up ends, so nothing between the two lines means nothing was tried.
    std::filesystem::remove(m_folder / "Warrow");
    std::filesystem::remove(m_folder / "WarrowTray");
    StartService();
    EXPECT_NE(m_service->Out().find("id=5, style=1\n读取完成\n"), std::string::npos) << m_service->Out();
    StopService();
}

TEST_F(ServiceTest, ChangeStyleStartsOnRequestOnly) {
    SetAccount(5);
    SetSetup(0, 1);
    StartService();
    for (long style : {2L, 0L, 1L}) {
        ASSERT_TRUE(platform::PostServiceMessage(platform::kChangeStyleMessage, style));
    }
    ASSERT_TRUE(WaitForStarts(2));
    // Nothing at start-up, nothing for style 2, then one program per request. The two
    // programs run side by side, so the order of their records is not theirs to keep.
    auto started = Started();
    std::sort(started.begin(), started.end());
    EXPECT_EQ(started, (std::vector<std::string>{Line("Warrow"), Line("WarrowTray")}));
    EXPECT_NE(
        m_service->Out().find("Recieve ChangeStyle [2]\nRecieve ChangeStyle [0]\nRecieve ChangeStyle [1]\n"),
        std::string::npos)
        << m_service->Out();
    StopService();
}

TEST_F(ServiceTest, AProgramThatCannotRunIsLogged) {
    SetAccount(5);
    SetSetup(0, 1);
    std::filesystem::remove(m_folder / "Warrow");
    std::filesystem::permissions(m_folder / "WarrowTray",
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    StartService();
    ASSERT_TRUE(platform::PostServiceMessage(platform::kChangeStyleMessage, 0));
    ASSERT_TRUE(m_service->WaitForOutput("运行Warrow 失败\n")) << m_service->Out();
    ASSERT_TRUE(platform::PostServiceMessage(platform::kChangeStyleMessage, 1));
    const std::string tray = "运行WarrowTray 失败 [hToken=" + std::to_string(::getuid()) + "][SessionId=0][" +
                             std::to_string(EACCES) + "]\n";
    ASSERT_TRUE(m_service->WaitForOutput(tray)) << m_service->Out();
    StopService();
}

TEST_F(ServiceTest, RootWithoutLogindStartsNothingWithoutTheTestOverride) {
    if (::geteuid() != 0 || std::filesystem::exists("/run/systemd/system")) {
        GTEST_SKIP() << "needs root on a machine without systemd-logind";
    }
    SetAccount(5);
    SetSetup(1, 0);
    const std::string saved =
        std::getenv("WARROW_TEST_START_AS_ROOT") ? std::getenv("WARROW_TEST_START_AS_ROOT") : "";
    ::unsetenv("WARROW_TEST_START_AS_ROOT");
    StartService();
    ::setenv("WARROW_TEST_START_AS_ROOT", saved.c_str(), 1);
    EXPECT_NE(m_service->Out().find("not starting it as root\n运行Warrow 失败\n"), std::string::npos)
        << m_service->Out();
    EXPECT_FALSE(std::filesystem::exists(m_folder / "started.log"));
    StopService();
}

// Sends a mode change as another user (needs root); true when it was delivered.
bool PostAs(uid_t uid, long style) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const bool switched = ::setgroups(0, nullptr) == 0 && ::setgid(uid) == 0 && ::setuid(uid) == 0;
        ::_exit(switched && platform::PostServiceMessage(platform::kChangeStyleMessage, style) ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

constexpr uid_t kNobody = 65534;

TEST_F(ServiceTest, OnlyRootAndThePersonAtTheComputerMayChangeTheMode) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to send as another user";
    }
    SetAccount(5);
    SetSetup(0, 0);
    StartService(); // nobody is at the computer (no logind, no stand-in)
    ASSERT_TRUE(PostAs(kNobody, 1));
    ASSERT_TRUE(m_service->WaitForOutput("Refused ChangeStyle [1] from uid 65534")) << m_service->Out();
    EXPECT_NE(m_service->Out().find("not root and not the person at the computer"), std::string::npos);
    // Root still may; its request is handled after the refused one.
    ASSERT_TRUE(platform::PostServiceMessage(platform::kChangeStyleMessage, 1));
    ASSERT_TRUE(WaitForStarts(1));
    EXPECT_EQ(Started(), std::vector<std::string>{Line("WarrowTray")});
    EXPECT_EQ(m_service->Out().find("Recieve ChangeStyle [1]\n"),
              m_service->Out().rfind("Recieve ChangeStyle"))
        << "only root's request was received";
    StopService();
}

TEST_F(ServiceTest, AChildAccountAtTheComputerMayNotAskForTheConsole) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to send as another user";
    }
    SetAccount(5);
    SetSetup(0, 0);
    m_service->SetSeatUser(kNobody);
    StartService();
    // As a parent's account the seat's user may ask for either program.
    ASSERT_TRUE(PostAs(kNobody, 1));
    ASSERT_TRUE(WaitForStarts(1));
    // Marked as a child account it may ask for the child shell only.
    ltl::CIni(false, -1, "", "Config.ini").SetString("ChildAccounts", "Users", "kid,nobody");
    ASSERT_TRUE(PostAs(kNobody, 1));
    ASSERT_TRUE(m_service->WaitForOutput("a child account may not ask for the parent console"))
        << m_service->Out();
    ASSERT_TRUE(PostAs(kNobody, 0));
    ASSERT_TRUE(WaitForStarts(2));
    EXPECT_EQ(Started(), (std::vector<std::string>{Line("WarrowTray"), Line("Warrow")}));
    StopService();
}

TEST_F(ServiceTest, WithoutServiceIdTheSettingsAreNotLoadedAndNothingStartsAutomatically) {
    SetAccount(5);
    WriteConfig("[Setup]\nIsAutoStart=1\nStartStyle=0\n");
    StartService();
    // A request proves the loop runs; only its program may have started.
    ASSERT_TRUE(platform::PostServiceMessage(platform::kChangeStyleMessage, 1));
    ASSERT_TRUE(WaitForStarts(1));
    EXPECT_EQ(Started(), std::vector<std::string>{Line("WarrowTray")});
    EXPECT_EQ(ltl::CIni(false, -1, "", "Config.ini").GetInt("System", "ID"), m_service->Pid());
    StopService();
}

TEST_F(ServiceTest, MissingConfigEndsStartUp) {
    std::filesystem::remove(m_folder / "Config.ini");
    EXPECT_EQ(m_service->Run({}), 1);
    const std::string out = m_service->Out();
    EXPECT_NE(out.find("读取配置文件失败\n瓦罗启动初始化错误\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("Begin Run Msg"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(m_folder / "started.log"));
}

TEST_F(ServiceTest, ASecondServiceOnTheSameSocketDoesNotStart) {
    SetAccount(5);
    SetSetup(0, 0);
    StartService();
    ServiceProcess second(m_folder, "second");
    EXPECT_EQ(second.Run({}), 1);
    const std::string out = second.Out();
    EXPECT_NE(out.find("another service listens there"), std::string::npos) << out;
    EXPECT_NE(out.find("InitInstance Failed\n启动MFC出现问题\n"), std::string::npos) << out;
    StopService();
}

// A shell killed 20 times comes back each time, resuming the counter it
// stored last; Config.ini is whole after every kill.
TEST_F(ServiceTest, AKilledShellComesBackWithItsCounter) {
    WriteScript(m_folder / "Warrow", "exec \"$WARROW_COUNTER_SHELL\"\n");
    SetAccount(5);
    SetSetup(1, 0);
    StartService();
    auto resumes = [&] {
        std::vector<std::pair<int, pid_t>> list;
        std::istringstream in(ServiceProcess::Read(m_folder / "counter.log"));
        std::string word;
        int value = 0;
        pid_t pid = 0;
        while (in >> word >> value >> pid) {
            list.emplace_back(value, pid);
        }
        return list;
    };
    auto counter = [] { return ltl::CIni(false, -1, "", "Config.ini").GetInt("Time", "CountTime"); };
    int stored = -1;
    for (std::size_t kill = 0; kill <= 20; ++kill) {
        ASSERT_TRUE(ServiceProcess::Until([&] { return resumes().size() == kill + 1; }))
            << "the shell is not back after kill " << kill << "\n"
            << m_service->Out();
        const auto [resumed, pid] = resumes().back();
        EXPECT_GE(resumed, stored) << "a counter stored before kill " << kill << " was lost";
        if (kill == 20) {
            break; // this one stays; teardown ends it after the service
        }
        // Killed while it writes, after a save of its own; the file only
        // grows, so what it holds now was stored before the kill.
        ASSERT_TRUE(ServiceProcess::Until([&] { return counter() > resumed; }));
        stored = counter();
        ASSERT_EQ(::kill(pid, SIGKILL), 0);
        const ltl::CIni ini(false, -1, "", "Config.ini");
        EXPECT_EQ(ini.GetInt("System", "ID"), m_service->Pid()) << "Config.ini torn after kill " << kill;
        EXPECT_GE(ini.GetInt("Time", "CountTime"), stored);
    }
    const std::string out = m_service->Out();
    std::size_t restarts = 0;
    for (std::size_t at = 0; (at = out.find("starting it again", at)) != std::string::npos; ++at) {
        ++restarts;
    }
    EXPECT_GE(restarts, 20u);
    StopService();
}

TEST_F(ServiceTest, AShellEndedByTheParentsRequestStaysEnded) {
    SetAccount(5);
    SetSetup(1, 0);
    StartService();
    ASSERT_TRUE(WaitForStarts(1));
    // What the shell does when the parent password ends it: ask for the console.
    ASSERT_TRUE(platform::PostServiceMessage(platform::kChangeStyleMessage, 1));
    ASSERT_TRUE(WaitForStarts(2));
    const pid_t shell = std::stoi(ServiceProcess::Read(m_folder / "shell.pids"));
    ASSERT_EQ(::kill(shell, SIGKILL), 0);
    // A request after the end proves the service saw it before answering.
    ASSERT_TRUE(ServiceProcess::Until([&] { return ::kill(shell, 0) != 0; }));
    ASSERT_TRUE(platform::PostServiceMessage(platform::kChangeStyleMessage, 1));
    ASSERT_TRUE(WaitForStarts(3));
    EXPECT_EQ(Started(), (std::vector<std::string>{Line("Warrow"), Line("WarrowTray"), Line("WarrowTray")}));
    EXPECT_EQ(m_service->Out().find("starting it again"), std::string::npos) << m_service->Out();
    StopService();
}

} // namespace
