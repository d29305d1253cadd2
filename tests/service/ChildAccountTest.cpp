// A child account's shell and browser in the protected installation: they
// cannot write the settings or read the database, yet their counters, activity
// lines and password checks reach the real service over its socket, which
// refuses what the shell could not have done and anyone else.
#include "core/CWarrowControl.h"
#include "core/ChildAccounts.h"
#include "core/ChildView.h"
#include "core/DailyCounters.h"
#include "ltl/CIni.h"
#include "platform/ServiceRequest.h"
#include "tests/core/InstallationFolder.h"
#include "tests/service/ChildInstallation.h"
#include "tests/service/ServiceProcess.h"
#include "tests/support/TestUser.h"

#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

constexpr uid_t kNobody = 65534;

// Runs `body` in a forked process as `uid`; its result is the exit status
// (0: every check in it held; else the number of the first that failed).
int RunAs(uid_t uid, const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const bool switched = ::setgroups(0, nullptr) == 0 && ::setgid(uid) == 0 && ::setuid(uid) == 0;
        ::_exit(switched ? body() : 99);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 98;
}

class ChildAccountTest : public InstallationFolder {
protected:
    void SetUp() override {
        if (::geteuid() != 0) {
            GTEST_SKIP() << "needs root: a second, real user is created for the child";
        }
        InstallationFolder::SetUp();
        m_user = std::make_unique<TestUser>("wkid");
        ASSERT_TRUE(m_user->Created());
        m_uid = m_user->Uid();

        CWarrowCoreInterface::Get()->Init(kDataBasePath, kDataBasePassword, nullptr);
        auto& info = CWarrowCoreInterface::Get()->GetDBConfig()->GetInfo();
        info.ID = 5;
        info.UserPwd = "secret";
        ASSERT_TRUE(CWarrowCoreInterface::Get()->GetDBConfig()->Save());
        CWarrowCoreInterface::Free();
        CDBManager::Destroy();
        ltl::CIni ini(false, -1, "", "Config.ini");
        ini.SetInt("Setup", "IsAutoStart", 0);
        ini.SetInt("Time", "TimeStyle", 0);
        ini.SetInt("Time", "CountTime", 60000);
        ASSERT_TRUE(child_accounts::Mark("Config.ini", m_user->Name(), true));
        ASSERT_NO_FATAL_FAILURE(ProtectFromChild());

        m_service = std::make_unique<ServiceProcess>(m_folder);
        ::setenv("WARROW_SERVICE_SOCKET", m_service->Socket().c_str(), 1);
        m_service->SetSeatUser(m_uid);
        m_service->Start();
        ASSERT_TRUE(m_service->WaitForOutput("Begin Run Msg\n")) << m_service->Out();
    }
    void TearDown() override {
        if (::geteuid() != 0) {
            return;
        }
        m_service.reset();
        ::unsetenv("WARROW_SERVICE_SOCKET");
        m_user.reset();
        InstallationFolder::TearDown();
    }

    std::vector<std::string> LogLines() {
        std::vector<std::string> lines;
        CWarrowCoreInterface::Get()->Init(kDataBasePath, kDataBasePassword, nullptr);
        CWarrowCoreInterface::Get()->GetLog()->ForEach(
            [&lines](tagLogInfo& line) { lines.push_back(line.Content); });
        CWarrowCoreInterface::Free();
        CDBManager::Destroy();
        return lines;
    }
    static int Count() { return ltl::CIni(false, -1, "", "Config.ini").GetInt("Time", "CountTime"); }

    std::unique_ptr<TestUser> m_user;
    uid_t m_uid = 0;
    std::unique_ptr<ServiceProcess> m_service;
};

TEST_F(ChildAccountTest, TheChildsProgramsWriteOnlyThroughTheService) {
    const int checks = RunAs(m_uid, [] {
        if (::open("Config.ini", O_WRONLY) >= 0 || ::open(kDataBasePath, O_RDONLY) >= 0 ||
            ::open(kCacheDataBasePath, O_RDONLY) >= 0) {
            return 1;
        }
        if (!child_accounts::RunsInChildAccount()) {
            return 2;
        }
        // Its copy of the settings: the allow-list, the account without passwords.
        CWarrowCoreInterface* core = CWarrowCoreInterface::Get();
        core->Init(kDataBasePath, kDataBasePassword, nullptr);
        bool browserAllowed = false;
        core->GetWLMng()->ForEach(
            [&](tagAppInfo& app) { browserAllowed |= app.AppName == "WarrowExplorer"; });
        if (!browserAllowed) {
            return 3;
        }
        if (core->GetDBConfig()->GetInfo().ID != 5 || !core->GetDBConfig()->GetInfo().UserPwd.empty()) {
            return 4;
        }
        core->LogOut("启动了[%s].", "孩子的程序");
        CWarrowControl control;
        if (!control.Load()) {
            return 5;
        }
        control.GetConfig().CountTime += 1000;
        control.SaveTime(core::DailyCounterEntries(core::tagDailyCounters{}));
        if (platform::AskService(platform::kCheckPasswordRequest, "guess", 10000) != std::string("0") ||
            platform::AskService(platform::kCheckPasswordRequest, "secret", 10000) != std::string("1")) {
            return 6;
        }
        // A store that gives play time back is refused.
        control.GetConfig().CountTime = 0;
        control.SaveTime(core::DailyCounterEntries(core::tagDailyCounters{}));
        // Extra time only as much as the parent granted, once. The service
        // handles requests in order: an answered question is a barrier.
        auto store = [&control](int count, std::int64_t extraMs) {
            control.GetConfig().CountTime = count;
            core::tagDailyCounters daily;
            daily.ExtraMs = extraMs;
            control.SaveTime(core::DailyCounterEntries(daily));
        };
        auto storedExtra = [] {
            platform::AskService(platform::kCheckPasswordRequest, "barrier", 10000);
            return ltl::CIni(false, -1, "", "Config.ini").GetString("Usage", "Extra");
        };
        store(61000, 3600000);
        if (storedExtra() != "0") {
            return 7; // a password checked to end the shell grants nothing
        }
        if (platform::AskService(platform::kGrantExtraRequest, "45\nsecret", 10000) != std::string("0") ||
            platform::AskService(platform::kGrantExtraRequest, "15\nsecret", 10000) != std::string("1")) {
            return 8;
        }
        store(61000, 3600000);
        if (storedExtra() != "0") {
            return 9; // an hour when the parent granted a quarter
        }
        store(61000, 900000);
        if (storedExtra() != "900000") {
            return 10; // the quarter granted
        }
        store(61000, 1800000);
        if (storedExtra() != "900000") {
            return 11; // the grant was spent
        }
        return 0;
    });
    ASSERT_EQ(checks, 0);
    ASSERT_TRUE(m_service->WaitForOutput("Refused WRM_STORETIME from uid " + std::to_string(m_uid)))
        << m_service->Out();
    EXPECT_NE(m_service->Out().find("the count went back"), std::string::npos) << m_service->Out();
    EXPECT_EQ(Count(), 61000) << "the honest store landed, the forged one did not";
    const auto lines = LogLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "启动了[孩子的程序]."), lines.end());
    // The copy the child read is root's, readable, and holds no password.
    struct stat st {};
    ASSERT_EQ(::stat(core::kChildViewPath, &st), 0);
    EXPECT_EQ(st.st_uid, 0u);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
}

TEST_F(ChildAccountTest, NobodyElseMayWriteForTheChild) {
    const int sent = RunAs(kNobody, [] {
        return platform::PostServiceRequest(platform::kLogLineRequest, "forged line") ? 0 : 1;
    });
    ASSERT_EQ(sent, 0);
    ASSERT_TRUE(m_service->WaitForOutput("Refused WRM_LOGLINE from uid 65534")) << m_service->Out();
    EXPECT_NE(m_service->Out().find("not the child at the computer"), std::string::npos);
    const auto lines = LogLines();
    EXPECT_EQ(std::find(lines.begin(), lines.end(), "forged line"), lines.end());
}

} // namespace
