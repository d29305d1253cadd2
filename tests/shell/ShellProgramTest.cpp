// The Warrow program itself, in an installation folder of its own on an
// Xvfb: one instance, "/q", closing attempts, and what the end leaves behind.

#include "tests/core/InstallationFolder.h"
#include "tests/x11/TestWindowProcess.h"
#include "tests/x11/XvfbServer.h"

#include "core/CWarrowLog.h"
#include "ltl/CIni.h"
#include "platform/x11/CXConnection.h"
#include "platform/x11/WindowTitle.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

class ShellProgramTest : public InstallationFolder {
protected:
    static void SetUpTestSuite() { s_server = new XvfbServer(); }
    static void TearDownTestSuite() {
        delete s_server;
        s_server = nullptr;
    }

    void SetUp() override {
        if (s_server->Display().empty()) {
            GTEST_SKIP() << "no Xvfb";
        }
        InstallationFolder::SetUp();
        const fs::path build = std::getenv("WARROW_BINARY_DIR");
        fs::copy_file(WARROW_SHELL, m_folder / "Warrow");
        fs::create_directory_symlink(build / "Resource", m_folder / "Resource");
        // The parent console's stand-in tells where it was started.
        std::ofstream(m_folder / "WarrowTray") << "#!/bin/sh\npwd > console-started\n";
        fs::permissions(m_folder / "WarrowTray", fs::perms::owner_all);
        m_games = fs::temp_directory_path() / ("shell-program-games-" + std::to_string(::getpid()));
        fs::remove_all(m_games);
        fs::create_directories(m_games / "other");
        fs::copy_file(WARROW_TEST_WINDOW, m_games / "TestGame");
        fs::copy_file(WARROW_TEST_WINDOW, m_games / "other" / "Intruder");
        tagAppInfo game;
        game.AppName = "TestGame";
        game.AppPath = (m_games / "TestGame").string(); // the program itself, as an entry may name it
        game.Name = "测试游戏";
        CWriteListMng list;
        list.Init(kDataBasePath, kDataBasePassword);
        list.Add("TestGame", game, true);
        CDBManager::Destroy();

        m_runtime =
            fs::temp_directory_path() / ("wsh-" + std::to_string(::getpid())); // socket paths are short
        fs::create_directories(m_runtime);
        fs::permissions(m_runtime, fs::perms::owner_all);
        ::setenv("XDG_RUNTIME_DIR", m_runtime.c_str(), 1);
        ::setenv("DISPLAY", s_server->Display().c_str(), 1);
        ::unsetenv("QT_QPA_PLATFORM");
        m_x = deskguard::CXConnection::Open(s_server->Display().c_str());
        ASSERT_NE(m_x, nullptr);
    }

    void TearDown() override {
        if (s_server->Display().empty()) {
            return;
        }
        m_x.reset();
        fs::remove_all(m_games);
        fs::remove_all(m_runtime);
        InstallationFolder::TearDown();
    }

    // Starts ./Warrow with `arguments` in the installation folder.
    std::unique_ptr<TestWindowProcess> Shell(const std::vector<std::string>& arguments = {}) {
        return std::make_unique<TestWindowProcess>((m_folder / "Warrow").string(), arguments);
    }

    // Top-level windows titled "Warrow" with the given size.
    int ShellWindows(int width, int height) {
        int found = 0;
        xcb_query_tree_reply_t* tree =
            xcb_query_tree_reply(m_x->Get(), xcb_query_tree(m_x->Get(), m_x->Root()), nullptr);
        if (tree == nullptr) {
            return 0;
        }
        const xcb_window_t* children = xcb_query_tree_children(tree);
        for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
            xcb_get_geometry_reply_t* g =
                xcb_get_geometry_reply(m_x->Get(), xcb_get_geometry(m_x->Get(), children[i]), nullptr);
            if (g != nullptr && g->width == width && g->height == height &&
                deskguard::WindowTitle(*m_x, children[i]) == "Warrow") {
                ++found;
                m_lastFound = children[i];
            }
            std::free(g);
        }
        std::free(tree);
        return found;
    }

    // Waits for `done`; false after ten seconds (a guard, not a measure).
    static bool Until(const std::function<bool()>& done) {
        for (int i = 0; i < 1000; ++i) {
            if (done()) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    bool Logged(const std::string& line) {
        CWarrowLog log;
        log.Init(kDataBasePath, kDataBasePassword);
        bool found = false;
        log.ForEach([&](tagLogInfo& info) { found = found || info.Content == line; });
        return found;
    }

    void SendDeleteWindow(xcb_window_t window) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = m_x->Atom(deskguard::enAtom::WmProtocols);
        event.data.data32[0] = m_x->Atom(deskguard::enAtom::WmDeleteWindow);
        event.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(m_x->Get(), 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
        xcb_flush(m_x->Get());
    }

    static inline XvfbServer* s_server = nullptr;
    fs::path m_games;
    fs::path m_runtime;
    std::unique_ptr<deskguard::CXConnection> m_x;
    xcb_window_t m_lastFound = XCB_WINDOW_NONE;
};

TEST_F(ShellProgramTest, OneShellAtATimeThatOnlyQuitEndsAndThatLeavesTheConsoleRunning) {
    auto shell = Shell();
    ASSERT_TRUE(Until([&] { return ShellWindows(1280, 48) == 1; })) << "the taskbar";
    ASSERT_TRUE(Until([&] { return ShellWindows(1280, 800) == 1; })) << "the desktop";
    const xcb_window_t desktop = m_lastFound;

    EXPECT_EQ(Shell()->Wait(), 0) << "a second shell ends at once";
    TestWindowProcess game((m_games / "TestGame").string(), {"--title", "game"});
    ASSERT_TRUE(Until([&] { return Logged("启动了[测试游戏]."); }));

    // Alt+F4 on the desktop: a window manager sends WM_DELETE_WINDOW. Once an
    // intruder mapped afterwards has been closed, the shell has seen it.
    SendDeleteWindow(desktop);
    TestWindowProcess intruder((m_games / "other" / "Intruder").string(), {"--title", "intruder"});
    EXPECT_EQ(intruder.Wait(), 0);
    EXPECT_EQ(ShellWindows(1280, 800), 1);
    EXPECT_FALSE(shell->Ended());
    EXPECT_FALSE(fs::exists("console-started"));

    EXPECT_EQ(Shell({"/q"})->Wait(), 0);
    EXPECT_EQ(shell->Wait(), 0);
    EXPECT_EQ(game.Wait(), 128 + SIGTERM) << "tracked programs end with the shell";
    EXPECT_EQ(ShellWindows(1280, 800) + ShellWindows(1280, 48), 0);
    ASSERT_TRUE(Until([] { return fs::exists("console-started"); }));
    std::stringstream where;
    where << std::ifstream("console-started").rdbuf();
    EXPECT_EQ(where.str(), fs::current_path().string() + "\n");
    ltl::CIni config(false, -1, "", "Config.ini");
    EXPECT_EQ(config.GetInt("System", "ID"), 77) << "Config.ini keeps what the shell did not own";

    fs::remove("console-started");
    EXPECT_EQ(Shell({"/q"})->Wait(), 0) << "/q without a shell";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(fs::exists("console-started"));
}

} // namespace
