#include "shell/CTaskManager.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
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

    // A program that records its folder and arguments, then runs for a while
    // (ignoring SIGTERM when asked to).
    tagAppInfo Program(const std::string& name, const std::string& param, bool stubborn = false) {
        const fs::path path = m_dir / "My Games" / name;
        std::ofstream(path) << "#!/bin/sh\n"
                            << (stubborn ? "trap '' TERM\n" : "")
                            << "printf '%s|' \"$PWD\" \"$@\" > record.tmp && mv record.tmp record\n"
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
        for (int i = 0; i < 200 && !fs::exists(record); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        std::ifstream in(record);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
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
    Record();
    std::this_thread::sleep_for(std::chrono::milliseconds(100)); // let both reach their loops
    const std::string shell = fs::canonical("/proc/" + std::to_string(a) + "/exe").string();
    tasks.AddTask(1, polite)->SetProcess(a, shell);
    tasks.AddTask(2, polite)->SetProcess(a, shell); // two windows of one program
    tasks.AddTask(3, stubborn)->SetProcess(b, shell);
    tasks.ClearTasks();
    EXPECT_EQ(tasks.Size(), 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(Alive(a));
    EXPECT_FALSE(Alive(b));
}

TEST_F(TaskManagerTest, AProcessIdNowUsedByAnotherProgramIsLeftAlone) {
    CTaskManager& tasks = *CTaskManager::Get();
    const tagAppInfo app = Program("bystander", "");
    const pid_t pid = tasks.StartApp(&app);
    ASSERT_GT(pid, 0);
    Record();
    tasks.AddTask(7, app)->SetProcess(pid, "/usr/games/long-gone-game");
    tasks.ClearTasks();
    EXPECT_TRUE(Alive(pid));
    ::kill(pid, SIGKILL);
}

} // namespace
