#include "shell/WindowAdmission.h"
#include "shell/CTaskManager.h"
#include "tests/core/InstallationFolder.h"

#include "core/CDBRecordset.h"

#include <map>
#include <set>

namespace {

// Windows of made-up programs: window id -> (pid, executable). Every
// window listed exists, and shows unless hidden.
class FakeWindows : public IWindowSystem {
public:
    std::map<unsigned long, std::pair<pid_t, std::string>> windows;
    std::vector<std::vector<unsigned long>> refusals; // one per RefuseAll
    std::vector<std::pair<unsigned long, pid_t>> refusedWithPid;
    std::set<unsigned long> hidden;
    std::set<unsigned long> managers;     // windows of the window manager
    std::map<pid_t, std::string> scripts; // interpreter processes -> script
    std::vector<std::string> refusedExecutables;
    int looks = 0;

    std::vector<tagWindowLook> Look(const std::vector<unsigned long>& asked) override {
        ++looks;
        std::vector<tagWindowLook> answers;
        for (unsigned long window : asked) {
            const auto found = windows.find(window);
            answers.push_back(found == windows.end() ? tagWindowLook{}
                                                     : tagWindowLook{true,
                                                                     hidden.count(window) == 0,
                                                                     found->second.first,
                                                                     true,
                                                                     managers.count(window) != 0,
                                                                     {}});
        }
        return answers;
    }
    std::string ExecutableOf(pid_t pid) override {
        for (const auto& [window, owner] : windows) {
            if (owner.first == pid) {
                return owner.second;
            }
        }
        return {};
    }
    std::string ScriptOf(pid_t pid, const std::string&) override {
        const auto found = scripts.find(pid);
        return found == scripts.end() ? std::string() : found->second;
    }
    void RefuseAll(const std::vector<std::pair<unsigned long, tagWindowLook>>& batch) override {
        refusals.emplace_back();
        for (const auto& [window, look] : batch) {
            refusals.back().push_back(window);
            refusedWithPid.emplace_back(window, look.pid);
            refusedExecutables.push_back(look.executable);
        }
    }
    std::vector<unsigned long> Refused() const {
        std::vector<unsigned long> all;
        for (const auto& batch : refusals) {
            all.insert(all.end(), batch.begin(), batch.end());
        }
        return all;
    }
};

tagWindowEvent Created(unsigned long window) {
    return {true, window};
}
tagWindowEvent Destroyed(unsigned long window) {
    return {false, window};
}
tagWindowEvent Other(unsigned long window) {
    return {true, window, true};
}

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
        m_admission = std::make_unique<CWindowAdmission>(
            m_windows, m_taskbar, *CWarrowCoreInterface::Get()->GetWLMng(), *CTaskManager::Get(), 4242);
    }
    void TearDown() override {
        m_admission.reset();
        CTaskManager::Free();
        InstallationFolder::TearDown();
    }
    std::vector<std::string> LogLines() {
        std::vector<std::string> lines;
        CWarrowCoreInterface::Get()->GetLog()->ForEach(
            [&](tagLogInfo& line) { lines.push_back(line.Content); });
        return lines;
    }

    FakeWindows m_windows;
    FakeTaskbar m_taskbar;
    std::unique_ptr<CWindowAdmission> m_admission;
};

TEST_F(WindowAdmissionTest, AllowedWindowsAreTrackedAndLoggedOthersRefused) {
    m_windows.windows = {{0x10, {100, "/opt/Games/chess"}},
                         {0x20, {200, "/opt/games/chess"}},
                         {0x30, {300, "/usr/bin/xterm"}},
                         {0x40, {0, ""}},
                         {0x50, {500, "/home/kid/opt/Games/chess"}}};
    for (unsigned long w : {0x10ul, 0x20ul, 0x30ul, 0x40ul, 0x50ul}) {
        m_admission->OnWindowEvents({Created(w)});
    }
    EXPECT_EQ(m_windows.Refused(), (std::vector<unsigned long>{0x20, 0x30, 0x40, 0x50}))
        << "case counts, an unknown program is refused, and so is a look-alike folder";
    EXPECT_EQ(m_windows.refusedExecutables[0], "/opt/games/chess") << "the refusal names the program judged";
    ASSERT_NE(CTaskManager::Get()->FindTask(0x10), nullptr);
    EXPECT_EQ(CTaskManager::Get()->FindTask(0x10)->Pid(), 100);
    EXPECT_EQ(m_taskbar.buttons, (std::map<unsigned long, std::string>{{0x10, "国际象棋"}}));
    EXPECT_EQ(LogLines(), std::vector<std::string>{"启动了[国际象棋]."});

    m_windows.windows.clear();
    m_admission->OnWindowEvents({Destroyed(0x10)});
    m_admission->OnWindowDestroyed(0x30); // never tracked: no line
    EXPECT_TRUE(m_taskbar.buttons.empty());
    EXPECT_EQ(CTaskManager::Get()->Size(), 0u);
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"启动了[国际象棋].", "关闭了[国际象棋]."}));
}

TEST_F(WindowAdmissionTest, SecondWindowsAndRepeatedReportsAndTheShellsOwnWindows) {
    m_windows.windows = {
        {0x11, {100, "/opt/Games/chess"}}, {0x12, {100, "/opt/Games/chess"}}, {0x99, {4242, "/x"}}};
    m_admission->OnWindowEvents({Created(0x11)});
    m_admission->OnWindowEvents({Created(0x12)});
    m_admission->OnWindowEvents({Created(0x11)}); // reported again: one button, no second line
    m_admission->OnWindowEvents({Created(0x99)}); // the shell's own window
    EXPECT_EQ(m_taskbar.buttons.size(), 2u);
    EXPECT_TRUE(m_windows.refusals.empty());
    EXPECT_EQ(LogLines().size(), 2u);
    EXPECT_EQ(CTaskManager::Get()->Size(), 2u);
}

TEST_F(WindowAdmissionTest, ABatchIsLookedAtOnceAndHandledInTheOrderItCame) {
    m_windows.windows = {{0x10, {100, "/opt/Games/chess"}}, {0x11, {100, "/opt/Games/chess"}},
                         {0x20, {200, "/usr/bin/xterm"}},   {0x21, {200, "/usr/bin/xterm"}},
                         {0x30, {300, "/opt/Games/chess"}}, {0x99, {4242, "/opt/Games/chess"}}};
    // 0x11 was tracked before the batch and goes in it; 0x40 comes and
    // goes within the batch; 0x30 is reported gone but still shows: a
    // forged message. 0x50 was never there.
    m_admission->OnWindowEvents({Created(0x11)});
    m_windows.windows.erase(0x11);
    m_admission->OnWindowEvents({Created(0x10), Created(0x20), Destroyed(0x11), Created(0x99), Created(0x40),
                                 Destroyed(0x40), Created(0x21), Created(0x50), Created(0x30),
                                 Destroyed(0x30)});

    EXPECT_EQ(m_windows.looks, 2);
    ASSERT_EQ(m_windows.refusals.size(), 1u);
    EXPECT_EQ(m_windows.refusals.back(), (std::vector<unsigned long>{0x20, 0x21}))
        << "refused together, in order";
    EXPECT_EQ(m_windows.refusedWithPid.back(), (std::pair<unsigned long, pid_t>{0x21, 200}));
    EXPECT_EQ(m_taskbar.buttons,
              (std::map<unsigned long, std::string>{{0x10, "国际象棋"}, {0x30, "国际象棋"}}));
    EXPECT_EQ(CTaskManager::Get()->Size(), 2u);
    EXPECT_EQ(CTaskManager::Get()->FindTask(0x30)->Pid(), 300);
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"启动了[国际象棋].", "启动了[国际象棋].",
                                                    "关闭了[国际象棋].", "启动了[国际象棋]."}));

    // Created and destroyed in one batch while its id still answers
    // (unmapped, on its way out): only the last report counts, nothing to log.
    m_windows.windows[0x12] = {100, "/opt/Games/chess"};
    m_windows.hidden = {0x12};
    m_admission->OnWindowEvents({Created(0x12), Destroyed(0x12)});
    EXPECT_EQ(m_taskbar.buttons.count(0x12), 0u);
    EXPECT_EQ(CTaskManager::Get()->FindTask(0x12), nullptr);
    EXPECT_EQ(LogLines().size(), 4u);
}

TEST_F(WindowAdmissionTest, MenusAndEmbeddedWindowsAreJudgedWithoutBecomingTasks) {
    // The manager claim counts only for a program root installed and that
    // runs no script: not for the child's own copy, not for an interpreter
    // running the child's script.
    m_windows.windows = {{0x10, {100, "/opt/Games/chess"}},
                         {0x20, {200, "/usr/bin/xterm"}},
                         {0x30, {300, "/bin/sh"}},
                         {0x40, {400, "/home/kid/openbox"}},
                         {0x50, {500, "/bin/sh"}}};
    m_windows.managers = {0x30, 0x40, 0x50};
    m_windows.scripts = {{500, "/home/kid/wm.sh"}};
    m_admission->OnWindowEvents(
        {Other(0x10), Other(0x20), Created(0x30), Other(0x30), Other(0x40), Other(0x50)});
    EXPECT_EQ(m_windows.Refused(), (std::vector<unsigned long>{0x20, 0x40, 0x50}))
        << "only the root-installed window manager is not judged";
    EXPECT_TRUE(m_taskbar.buttons.empty());
    EXPECT_EQ(CTaskManager::Get()->Size(), 0u);
    EXPECT_TRUE(LogLines().empty());
}

TEST_F(WindowAdmissionTest, InterpretersAreJudgedByTheirScriptAndTrustedHelpersNotAtAll) {
    m_windows.windows = {{0x10, {100, "/usr/bin/python3.11"}},
                         {0x20, {200, "/usr/bin/python3.11"}},
                         {0x30, {300, "/usr/bin/ibus-ui"}},
                         {0x40, {400, "/usr/bin/xterm"}}};
    m_windows.scripts = {{100, "/opt/Games/chess"}, {200, "/home/kid/evil.py"}};
    m_admission->SetTrustedPrograms({"/usr/bin/ibus-ui"});
    m_admission->OnWindowEvents({Created(0x10), Created(0x20), Created(0x30), Created(0x40)});
    EXPECT_EQ(m_windows.Refused(), (std::vector<unsigned long>{0x20, 0x40}));
    EXPECT_EQ(m_taskbar.buttons, (std::map<unsigned long, std::string>{{0x10, "国际象棋"}}))
        << "a trusted helper is no task";
}

TEST_F(WindowAdmissionTest, TenThousandForgedReportsLeaveTheLogAsItWas) {
    m_windows.windows = {{0x10, {100, "/opt/Games/chess"}}, {0x20, {200, "/usr/bin/xterm"}}};
    m_admission->OnWindowEvents({Created(0x10)});
    std::vector<tagWindowEvent> forged;
    for (int i = 0; i < 10000; ++i) {
        forged.push_back(i % 3 == 0 ? Destroyed(0x10) : Created(i % 2 ? 0x10 : 0x20));
    }
    for (int i = 0; i < 10; ++i) {
        m_admission->OnWindowEvents(forged);
    }
    EXPECT_EQ(LogLines(), std::vector<std::string>{"启动了[国际象棋]."});
    EXPECT_EQ(m_windows.looks, 11) << "one look per batch";
    EXPECT_EQ(m_taskbar.buttons.size(), 1u);
}

} // namespace
