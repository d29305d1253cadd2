#include "shell/CTaskManager.h"
#include "shell/WindowAdmission.h"
#include "tests/core/InstallationFolder.h"

#include "core/CDBRecordset.h"

#include <map>

namespace {

// Windows of made-up programs: window id -> (pid, executable).
class FakeWindows : public IWindowSystem {
public:
    std::map<unsigned long, std::pair<pid_t, std::string>> windows;
    std::vector<unsigned long> refused;

    pid_t PidOf(unsigned long window) override { return windows.count(window) ? windows[window].first : 0; }
    std::string ExecutableOf(pid_t pid) override {
        for (const auto& [window, owner] : windows) {
            if (owner.first == pid) {
                return owner.second;
            }
        }
        return {};
    }
    void Refuse(unsigned long window, pid_t) override { refused.push_back(window); }
};

class FakeTaskbar : public ITaskbar {
public:
    std::map<unsigned long, std::string> buttons;
    int arranged = 0;
    bool AddButton(unsigned long window, const std::string& caption, const std::string&) override {
        return buttons.emplace(window, caption).second;
    }
    bool RemoveButton(unsigned long window) override {
        buttons.erase(window);
        return true;
    }
    void Arrange() override { ++arranged; }
};

class WindowAdmissionTest : public InstallationFolder {
protected:
    void SetUp() override {
        InstallationFolder::SetUp();
        tagAppInfo chess;
        chess.AppName = "chess";
        chess.AppPath = "/opt/Games";
        chess.Name = "国际象棋";
        CWriteListMng list;
        list.Init(kDataBasePath, kDataBasePassword);
        list.Add("chess", chess, true);
        CDBManager::Destroy();
        ASSERT_TRUE(CWarrowCoreInterface::Get()->Init(kDataBasePath, kDataBasePassword, nullptr));
        m_admission = std::make_unique<CWindowAdmission>(m_windows, m_taskbar, *CWarrowCoreInterface::Get()->GetWLMng(),
                                                         *CTaskManager::Get(), 4242);
    }
    void TearDown() override {
        m_admission.reset();
        CTaskManager::Free();
        InstallationFolder::TearDown();
    }
    std::vector<std::string> LogLines() {
        std::vector<std::string> lines;
        CWarrowCoreInterface::Get()->GetLog()->ForEach([&](tagLogInfo& line) { lines.push_back(line.Content); });
        return lines;
    }

    FakeWindows m_windows;
    FakeTaskbar m_taskbar;
    std::unique_ptr<CWindowAdmission> m_admission;
};

TEST_F(WindowAdmissionTest, AllowedWindowsAreTrackedAndLoggedOthersRefused) {
    m_windows.windows = {{0x10, {100, "/opt/Games/Chess/chess"}},
                         {0x20, {200, "/opt/games/x"}},
                         {0x30, {300, "/usr/bin/xterm"}},
                         {0x40, {0, ""}}};
    for (unsigned long w : {0x10ul, 0x20ul, 0x30ul, 0x40ul}) {
        m_admission->OnWindowCreated(w);
    }
    EXPECT_EQ(m_windows.refused, (std::vector<unsigned long>{0x20, 0x30, 0x40})) << "the path match is case-sensitive";
    ASSERT_NE(CTaskManager::Get()->FindTask(0x10), nullptr);
    EXPECT_EQ(CTaskManager::Get()->FindTask(0x10)->Pid(), 100);
    EXPECT_EQ(m_taskbar.buttons, (std::map<unsigned long, std::string>{{0x10, "国际象棋"}}));
    EXPECT_EQ(LogLines(), std::vector<std::string>{"启动了[国际象棋]."});

    m_admission->OnWindowDestroyed(0x10);
    m_admission->OnWindowDestroyed(0x30); // never tracked: no line
    EXPECT_TRUE(m_taskbar.buttons.empty());
    EXPECT_EQ(CTaskManager::Get()->Size(), 0u);
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"启动了[国际象棋].", "关闭了[国际象棋]."}));
}

TEST_F(WindowAdmissionTest, SecondWindowsAndRepeatedReportsAndTheShellsOwnWindows) {
    m_windows.windows = {{0x11, {100, "/opt/Games/chess"}}, {0x12, {100, "/opt/Games/chess"}}, {0x99, {4242, "/x"}}};
    m_admission->OnWindowCreated(0x11);
    m_admission->OnWindowCreated(0x12);
    m_admission->OnWindowCreated(0x11); // reported again: logged again, one button
    m_admission->OnWindowCreated(0x99); // the shell's own window
    EXPECT_EQ(m_taskbar.buttons.size(), 2u);
    EXPECT_TRUE(m_windows.refused.empty());
    EXPECT_EQ(LogLines().size(), 3u);
    EXPECT_EQ(CTaskManager::Get()->Size(), 2u);
}

} // namespace
