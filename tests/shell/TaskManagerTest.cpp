#include "shell/CTaskManager.h"
#include "tests/support/PrivateUserManager.h"
#include "tests/support/Wait.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class TaskManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("tasks-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir / "My Games");
    }
    void TearDown() override {
        CTaskManager::Free();
        fs::remove_all(m_dir);
    }

    // A program that records its folder and arguments, says it is ready
    // (<name>.ready, once its signal handling is set), then runs for a
    // while (ignoring SIGTERM when asked to), with a child of its own.
    tagAppInfo Program(const std::string& name, const std::string& param, bool stubborn = false) {
        const fs::path path = m_dir / "My Games" / name;
        std::ofstream(path) << "#!/bin/sh\n"
                            << (stubborn ? "trap '' TERM\n" : "") << "sleep 1000 & echo $! > " << name
                            << ".child\n"
                            << "printf '%s|' \"$PWD\" \"$@\" > record.tmp && mv record.tmp record\n"
                            << ": > " << name << ".ready\n"
                            << "while :; do sleep 0.05; done\n";
        ::chmod(path.c_str(), 0755);
        tagAppInfo app;
        app.AppName = name;
        app.AppPath = (m_dir / "My Games").string();
        app.Name = name;
        app.AppParam = param;
        return app;
    }

    std::string Record() {
        const fs::path record = m_dir / "My Games" / "record";
        testwait::ForFile(record);
        std::ifstream in(record);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    // Waits for `done`; false after ten seconds (a guard, not a measure).
    // Only for a process's run state in /proc, of which the kernel sends no
    // news; files and ends of processes are awaited through testwait.
    static bool Until(const std::function<bool()>& done) {
        for (int i = 0; i < 1000; ++i) {
            if (done()) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    bool Ready(const std::string& name) { return testwait::ForFile(m_dir / "My Games" / (name + ".ready")); }

    pid_t ChildOf(const std::string& name) {
        std::ifstream in(m_dir / "My Games" / (name + ".child"));
        pid_t pid = 0;
        in >> pid;
        return pid;
    }

    // The state letter of /proc/<pid>/stat ('T' stopped, 'S' sleeping, ...).
    static char State(pid_t pid) {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string text;
        std::getline(stat, text);
        const auto close = text.rfind(')');
        return close != std::string::npos && close + 2 < text.size() ? text[close + 2] : '?';
    }

    // Running, not merely a zombie waiting for whoever adopted it to reap it.
    static bool Alive(pid_t pid) {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string text;
        std::getline(stat, text);
        const auto close = text.rfind(')');
        return close != std::string::npos && close + 2 < text.size() && text[close + 2] != 'Z';
    }

    fs::path m_dir;
};

TEST_F(TaskManagerTest, StartAppRunsTheProgramInItsFolderWithSplitArguments) {
    CTaskManager& tasks = *CTaskManager::Get();
    const tagAppInfo app = Program("game", "--level 'two words' \"a\\\"b\" 100%");
    const pid_t pid = tasks.StartApp(&app);
    ASSERT_GT(pid, 0);
    EXPECT_EQ(Record(), (m_dir / "My Games").string() + "|--level|two words|a\"b|100%|");
    EXPECT_EQ(tasks.Size(), 0u) << "started programs are tracked only when a window appears";
    ::kill(pid, SIGKILL);

    EXPECT_EQ(tasks.StartApp(nullptr), 0);
    tagAppInfo missing = app;
    missing.AppName = "missing";
    EXPECT_EQ(tasks.StartApp(&missing), 0);
    tagAppInfo unclosed = app;
    unclosed.AppParam = "'open";
    EXPECT_EQ(tasks.StartApp(&unclosed), 0);
}

TEST_F(TaskManagerTest, WindowsAreTrackedOnceAndForgotten) {
    CTaskManager& tasks = *CTaskManager::Get();
    tagAppInfo app;
    app.Name = "Chess";
    CTaskProcess* first = tasks.AddTask(0x30, app);
    app.Name = "Other";
    EXPECT_EQ(tasks.AddTask(0x30, app), first) << "a known window keeps its entry";
    EXPECT_EQ(first->App().Name, "Chess");
    EXPECT_EQ(tasks.FindTask(0x30), first);
    tasks.RemoveTask(0x30);
    tasks.RemoveTask(0x30);
    EXPECT_EQ(tasks.FindTask(0x30), nullptr);
}

TEST_F(TaskManagerTest, ClearTasksEndsTrackedProgramsEvenStubbornOnes) {
    CTaskManager& tasks = *CTaskManager::Get();
    const tagAppInfo polite = Program("polite", "");
    const tagAppInfo stubborn = Program("stubborn", "", true);
    const pid_t a = tasks.StartApp(&polite);
    const pid_t b = tasks.StartApp(&stubborn);
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);
    ASSERT_TRUE(Ready("polite") && Ready("stubborn"));
    const std::string shell = fs::canonical("/proc/" + std::to_string(a) + "/exe").string();
    tasks.AddTask(1, polite)->SetProcess(a, shell);
    tasks.AddTask(2, polite)->SetProcess(a, shell); // two windows of one program
    tasks.AddTask(3, stubborn)->SetProcess(b, shell);
    const pid_t child = ChildOf("stubborn");
    ASSERT_GT(child, 0);
    tasks.ClearTasks();
    EXPECT_EQ(tasks.Size(), 0u);
    EXPECT_TRUE(testwait::ForExit(a) && testwait::ForExit(b));
    EXPECT_TRUE(testwait::ForExit(child)) << "the whole group the shell started ends";
}

TEST_F(TaskManagerTest, ProgramsStartedWithoutAWindowEndWithTheShellAndARestFreezesThem) {
    CTaskManager& tasks = *CTaskManager::Get();
    const tagAppInfo silent = Program("silent", "");
    const pid_t pid = tasks.StartApp(&silent);
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(Ready("silent"));
    const pid_t child = ChildOf("silent");
    ASSERT_EQ(tasks.StartedGroups().size(), 1u);

    tasks.Freeze(true);
    // The shell of the program may be caught in vfork for its next
    // "sleep 0.05", whose child is stopped before its exec: then it waits
    // on it in state D, which stops it just as well.
    EXPECT_TRUE(Until([&] { return (State(pid) == 'T' || State(pid) == 'D') && State(child) == 'T'; }))
        << "stopped for the rest: " << State(pid) << State(child);
    tasks.Freeze(false);
    EXPECT_TRUE(Until([&] { return State(pid) != 'T' && State(child) != 'T'; })) << "running after it";

    EXPECT_FALSE(tasks.SignalGroupOf(child, SIGTERM)) << "only the program started itself names its group";
    tasks.Freeze(true);
    tasks.ClearTasks(); // ends even a stopped program
    EXPECT_TRUE(testwait::ForExit(pid) && testwait::ForExit(child));
    EXPECT_TRUE(tasks.StartedGroups().empty());
}

// Runs where `systemd --user` answers on the user's bus, or where the test
// can start one of its own (a build container, as root); elsewhere the tests
// above cover the process groups the shell falls back to.
TEST_F(TaskManagerTest, WhereAUserManagerRunsWhatLeavesTheGroupStillEndsWithTheShell) {
    std::unique_ptr<testsupport::CPrivateUserManager> own;
    if (!CTaskManager::Get()->UsesUserScopes()) {
        CTaskManager::Free(); // it asked the bus once; a new one asks again
        fs::create_directory(m_dir / "runtime");
        fs::permissions(m_dir / "runtime", fs::perms::owner_all);
        std::string whyNot;
        own = testsupport::CPrivateUserManager::Start(m_dir / "runtime", whyNot);
        if (!own) {
            GTEST_SKIP() << "no systemd user manager on this user's bus, and none could be started ("
                         << whyNot << "): programs are held by process groups only";
        }
    }
    CTaskManager& tasks = *CTaskManager::Get();
    ASSERT_TRUE(tasks.UsesUserScopes());
    const fs::path program = m_dir / "My Games" / "escaper";
    // The child names itself once it has left: its pid is in the file only
    // after setsid.
    std::ofstream(program) << "#!/bin/sh\n"
                              "setsid sh -c 'echo $$ > escaper.tmp && mv escaper.tmp escaper.child && "
                              "exec sleep 1000' &\n"
                              ": > escaper.ready\nwhile :; do sleep 0.05; done\n";
    ::chmod(program.c_str(), 0755);
    tagAppInfo app;
    app.AppName = "escaper";
    app.AppPath = (m_dir / "My Games").string();
    const pid_t pid = tasks.StartApp(&app);
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(Ready("escaper"));
    ASSERT_TRUE(testwait::ForFile(m_dir / "My Games" / "escaper.child"));
    const pid_t escaped = ChildOf("escaper");
    ASSERT_GT(escaped, 0);
    EXPECT_EQ(tasks.StartedScopes(),
              std::vector<std::string>{"warrow-app-" + std::to_string(pid) + ".scope"});
    EXPECT_NE(::getpgid(escaped), ::getpgid(pid)) << "it really left the group";
    tasks.ClearTasks();
    EXPECT_TRUE(testwait::ForExit(pid) && testwait::ForExit(escaped));
}

TEST_F(TaskManagerTest, ARefusedProgramTheShellStartedTakesItsGroupWithIt) {
    CTaskManager& tasks = *CTaskManager::Get();
    const tagAppInfo launcher = Program("launcher", "");
    const pid_t pid = tasks.StartApp(&launcher);
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(Ready("launcher"));
    const pid_t child = ChildOf("launcher");
    EXPECT_TRUE(tasks.SignalGroupOf(pid, SIGKILL));
    EXPECT_TRUE(testwait::ForExit(pid) && testwait::ForExit(child));
}

TEST_F(TaskManagerTest, AProcessIdNowUsedByAnotherProgramIsLeftAlone) {
    CTaskManager& tasks = *CTaskManager::Get();
    const tagAppInfo app = Program("bystander", "");
    // Started by someone else: only its tracked window ties it to the shell.
    platform::LaunchRequest request;
    request.program = (m_dir / "My Games" / "bystander").string();
    request.workingDirectory = (m_dir / "My Games").string();
    pid_t pid = 0;
    ASSERT_TRUE(platform::StartDetached(request, nullptr, &pid));
    ASSERT_TRUE(Ready("bystander"));
    tasks.AddTask(7, app)->SetProcess(pid, "/usr/games/long-gone-game");
    tasks.ClearTasks();
    EXPECT_TRUE(Alive(pid));
    ::killpg(::getpgid(pid), SIGKILL);
}

} // namespace
