// The Warrow program itself, in an installation folder of its own on an
// Xvfb, without a window manager and under Debian's openbox: one instance,
// "/q" and who may send it, closing attempts, what the end leaves behind,
// the taskbar on top, and a guard that cannot start.

#include "tests/core/InstallationFolder.h"
#include "tests/x11/TestWindowProcess.h"
#include "tests/x11/XvfbServer.h"

#include "core/CWarrowLog.h"
#include "core/UsageClock.h"
#include "ltl/CIni.h"
#include "platform/SingleInstance.h"
#include "platform/x11/CXConnection.h"
#include "platform/x11/WindowManager.h"
#include "platform/x11/WindowTitle.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>

namespace fs = std::filesystem;

namespace {

class ShellProgramTest : public InstallationFolder, public ::testing::WithParamInterface<bool> {
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
        if (GetParam()) {
            m_windowManager = Spawn({"openbox", "--sm-disable"}, {{-1, 1}, {-1, 2}});
            ASSERT_GT(m_windowManager, 0);
            ASSERT_TRUE(Until([&] { return deskguard::FindWindowManager(*m_x) != XCB_WINDOW_NONE; }))
                << "openbox announces itself";
        }
    }

    void TearDown() override {
        if (s_server->Display().empty()) {
            return;
        }
        if (m_windowManager > 0) {
            EXPECT_EQ(::waitpid(m_windowManager, nullptr, WNOHANG), 0)
                << "the shell left the window manager alone";
            ::kill(m_windowManager, SIGTERM);
            ::waitpid(m_windowManager, nullptr, 0);
            // Its check window goes with it: the next test starts without one.
            Until([&] { return deskguard::FindWindowManager(*m_x) == XCB_WINDOW_NONE; });
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

    // Top-level windows titled "Warrow" with the given size, mapped (a
    // window manager's frames hold them one level down).
    int ShellWindows(int width, int height, xcb_window_t under = XCB_WINDOW_NONE, int depth = 0) {
        int found = 0;
        xcb_query_tree_reply_t* tree = xcb_query_tree_reply(
            m_x->Get(), xcb_query_tree(m_x->Get(), under != XCB_WINDOW_NONE ? under : m_x->Root()), nullptr);
        if (tree == nullptr) {
            return 0;
        }
        const xcb_window_t* children = xcb_query_tree_children(tree);
        for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
            xcb_get_geometry_reply_t* g =
                xcb_get_geometry_reply(m_x->Get(), xcb_get_geometry(m_x->Get(), children[i]), nullptr);
            xcb_get_window_attributes_reply_t* a = xcb_get_window_attributes_reply(
                m_x->Get(), xcb_get_window_attributes(m_x->Get(), children[i]), nullptr);
            if (g != nullptr && a != nullptr && a->map_state == XCB_MAP_STATE_VIEWABLE && g->width == width &&
                g->height == height && deskguard::WindowTitle(*m_x, children[i]) == "Warrow") {
                ++found;
                m_lastFound = children[i];
            } else if (depth == 0) {
                found += ShellWindows(width, height, children[i], 1);
            }
            std::free(g);
            std::free(a);
        }
        std::free(tree);
        return found;
    }

    // The screen's colour at (x, y) as 0xRRGGBB.
    uint32_t ScreenPixel(int x, int y) {
        xcb_get_image_reply_t* image =
            xcb_get_image_reply(m_x->Get(),
                                xcb_get_image(m_x->Get(), XCB_IMAGE_FORMAT_Z_PIXMAP, m_x->Root(),
                                              static_cast<int16_t>(x), static_cast<int16_t>(y), 1, 1, ~0u),
                                nullptr);
        uint32_t pixel = 0;
        if (image != nullptr && xcb_get_image_data_length(image) >= 4) {
            std::memcpy(&pixel, xcb_get_image_data(image), 4);
        }
        std::free(image);
        return pixel & 0xFFFFFFu;
    }

    // The colour at (x, y) of a 24-bit bitmap file, as 0xRRGGBB.
    static uint32_t BitmapPixel(const fs::path& file, int x, int y) {
        std::ifstream in(file, std::ios::binary);
        std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
        if (bytes.size() < 54) {
            return 0xFFFFFFFFu;
        }
        const auto word = [&](size_t at) {
            return static_cast<int32_t>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
                                        bytes[at + 3] << 24);
        };
        const int32_t offset = word(10), width = word(18), height = word(22);
        const size_t row = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
        const size_t at = static_cast<size_t>(offset) + row * static_cast<size_t>(height - 1 - y) +
                          static_cast<size_t>(x) * 3;
        return at + 2 < bytes.size() ? (bytes[at + 2] << 16 | bytes[at + 1] << 8 | bytes[at]) : 0xFFFFFFFFu;
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
    pid_t m_windowManager = -1;
    fs::path m_games;
    fs::path m_runtime;
    std::unique_ptr<deskguard::CXConnection> m_x;
    xcb_window_t m_lastFound = XCB_WINDOW_NONE;
};

TEST_P(ShellProgramTest, OneShellAtATimeThatOnlyQuitEndsAndThatLeavesTheConsoleRunning) {
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
    // Nothing else is running that could start the console: once this
    // process has ended, what it did is done.
    EXPECT_EQ(Shell({"/q"})->Wait(), 0) << "/q without a shell";
    EXPECT_FALSE(fs::exists("console-started"));
}

TEST_P(ShellProgramTest, TheTaskbarShowsOnTopAndTheStartButtonIsThere) {
    auto shell = Shell();
    ASSERT_TRUE(Until([&] { return ShellWindows(1280, 48) == 1 && ShellWindows(1280, 800) == 1; }));
    // The start button's own picture, not the desktop's, at its place on
    // the screen, once the shell has drawn it.
    const fs::path start = fs::path("Resource") / "儿童界面" / "开始按钮00.bmp";
    const auto shows = [&] {
        for (const auto& [x, y] : std::vector<std::pair<int, int>>{{30, 24}, {10, 10}, {50, 40}}) {
            if (ScreenPixel(x, 800 - 48 + y) != BitmapPixel(start, x, y)) {
                return false;
            }
        }
        return true;
    };
    EXPECT_TRUE(Until(shows)) << std::hex << ScreenPixel(30, 776) << " is not " << BitmapPixel(start, 30, 24);
    EXPECT_EQ(Shell({"/q"})->Wait(), 0);
    EXPECT_EQ(shell->Wait(), 0);
}

TEST_P(ShellProgramTest, AQuitRequestFromAnyoneButRootOrTheServiceIsIgnoredAndLoggedOnce) {
    auto shell = Shell();
    ASSERT_TRUE(Until([&] { return ShellWindows(1280, 800) == 1; }));
    ASSERT_TRUE(Until([&] { return fs::exists(platform::InstanceMailboxPath("Warrow")); }));
    // Another user reaches the mailbox (the folder lets anyone through).
    fs::permissions(m_runtime, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    const pid_t sender = ::fork();
    if (sender == 0) {
        const bool ok = ::setgid(65534) == 0 && ::setuid(65534) == 0 &&
                        platform::PostToInstance("Warrow", "WM_QUIT", 0) &&
                        platform::PostToInstance("Warrow", "WM_QUIT", 0);
        ::_exit(ok ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(sender, &status, 0), sender);
    ASSERT_EQ(status, 0) << "the requests were sent";
    ASSERT_TRUE(Until([&] { return Logged("忽略了退出请求(用户65534)."); }));
    EXPECT_FALSE(shell->Ended());
    EXPECT_EQ(Shell({"x/q"})->Wait(), 0) << "not a request: the second shell just ends";
    EXPECT_FALSE(shell->Ended());

    EXPECT_EQ(Shell({"/q"})->Wait(), 0) << "root may";
    EXPECT_EQ(shell->Wait(), 0);
    int refusals = 0;
    CWarrowLog log;
    log.Init(kDataBasePath, kDataBasePassword);
    log.ForEach([&](tagLogInfo& info) { refusals += info.Content.rfind("忽略了退出请求", 0) == 0; });
    EXPECT_EQ(refusals, 1) << "logged once";
}

TEST_P(ShellProgramTest, WithoutAnXServerTheShellSaysSoAndEnds) {
    if (GetParam()) {
        GTEST_SKIP() << "no window manager without a server";
    }
    int nowhere = 4000;
    while (::access(("/tmp/.X11-unix/X" + std::to_string(nowhere)).c_str(), F_OK) == 0) {
        ++nowhere;
    }
    ::setenv("DISPLAY", (":" + std::to_string(nowhere)).c_str(), 1);
    EXPECT_EQ(Shell()->Wait(), 2);
    EXPECT_FALSE(fs::exists("console-started"));
}

TEST_P(ShellProgramTest, WithoutXResTheGuardCannotStartAndTheDesktopStaysLocked) {
    if (GetParam()) {
        GTEST_SKIP() << "the server without X-Resource runs without a window manager";
    }
    XvfbServer plain({"-extension", "X-Resource"});
    ASSERT_FALSE(plain.Display().empty());
    ::setenv("DISPLAY", plain.Display().c_str(), 1);
    auto shell = Shell();
    ASSERT_TRUE(Until([&] {
        return Logged(
            "桌面已锁定：窗口守护未能启动（X 服务器缺少 X-Resource 扩展，无法得知窗口属于哪个程序）");
    }));
    EXPECT_FALSE(shell->Ended());
    // No desktop: an allowed program started now is no task.
    TestWindowProcess game((m_games / "TestGame").string(), {"--title", "game"});
    ASSERT_NE(game.Window(), 0u);
    EXPECT_EQ(Shell({"/q"})->Wait(), 0);
    EXPECT_EQ(shell->Wait(), 0);
    EXPECT_FALSE(Logged("启动了[测试游戏]."));
}

INSTANTIATE_TEST_SUITE_P(WindowManager, ShellProgramTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("Openbox") : std::string("None");
                         });

} // namespace

namespace {

class ShellCountersTest : public ShellProgramTest {
protected:
    static std::string Key(const char* section, const char* key) {
        return ltl::CIni(false, -1, "", "Config.ini").GetString(section, key);
    }
    static int CountTime() { return std::atoi(Key("Time", "CountTime").c_str()); }
    // Until `count` seconds were counted and saved; a minute's guard, as a
    // loaded machine may start the shell slowly.
    static bool Counted(int count) {
        for (int i = 0; i < 6 && !Until([count] { return CountTime() >= count; }); ++i) {
        }
        return CountTime() >= count;
    }
};

TEST_P(ShellCountersTest, TodaysCountersAndExtraTimeSurviveAKillAndARestart) {
    const std::string today = std::to_string(core::CSystemUsageClock().Now().Day);
    ltl::CIni config(false, -1, "", "Config.ini");
    ASSERT_TRUE(config.SetStrings({{"Time", "PlayTime", "7200000"},
                                   {"Time", "TimeStyle", "0"},
                                   {"Time", "CountTime", "0"},
                                   {"Usage", "Day", today},
                                   {"Usage", "Extra", "600000"},
                                   {"Usage", "Apps", "TestGame:1234"}}));
    auto shell = Shell();
    ASSERT_TRUE(Counted(2000)) << "the shell ticks and saves";
    ::kill(shell->Pid(), SIGKILL);
    shell->Wait();
    EXPECT_EQ(Key("Usage", "Day"), today);
    EXPECT_EQ(Key("Usage", "Extra"), "600000") << "extra time not needed is kept";
    EXPECT_EQ(Key("Usage", "Apps"), "TestGame:1234");

    const int before = CountTime();
    auto again = Shell();
    ASSERT_TRUE(Counted(before + 2000));
    EXPECT_EQ(Shell({"/q"})->Wait(), 0);
    EXPECT_EQ(again->Wait(), 0);
    EXPECT_EQ(Key("Usage", "Extra"), "600000");
    EXPECT_EQ(Key("Usage", "Apps"), "TestGame:1234");
}

INSTANTIATE_TEST_SUITE_P(WithoutWindowManager, ShellCountersTest, ::testing::Values(false));

} // namespace
