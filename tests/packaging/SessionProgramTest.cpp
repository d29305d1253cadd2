// The child's X session program (warrow-session) in an installation folder
// of its own on an Xvfb, with Debian's openbox and without a window manager:
// the shell's desktop shows, the child's login environment does not reach
// the shell, and the session ends with the shell, leaving nothing behind.

#include "tests/core/InstallationFolder.h"
#include "tests/x11/XWait.h"
#include "tests/x11/XvfbServer.h"

#include "platform/x11/CXConnection.h"
#include "platform/x11/WindowManager.h"
#include "platform/x11/WindowTitle.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The variables of /proc/<pid>/environ.
std::map<std::string, std::string> Environment(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/environ", std::ios::binary);
    std::map<std::string, std::string> variables;
    std::string entry;
    while (std::getline(in, entry, '\0')) {
        const size_t equals = entry.find('=');
        if (equals != std::string::npos) {
            variables[entry.substr(0, equals)] = entry.substr(equals + 1);
        }
    }
    return variables;
}

// State, parent and process group of /proc/<pid>/stat.
struct tagStat {
    char state = 0;
    pid_t parent = -1;
    pid_t group = -1;
};

tagStat StatOf(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    tagStat stat;
    if (const size_t close = text.rfind(')'); close != std::string::npos) {
        std::istringstream rest(text.substr(close + 2));
        rest >> stat.state >> stat.parent >> stat.group;
    }
    return stat;
}

std::vector<pid_t> Processes() {
    std::vector<pid_t> pids;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") == std::string::npos) {
            pids.push_back(std::stoi(name));
        }
    }
    return pids;
}

// Names of the processes of `group` that still run (zombies wait only for
// whoever reaps them).
std::string RunningInGroup(pid_t group) {
    std::string names;
    for (const pid_t pid : Processes()) {
        const tagStat stat = StatOf(pid);
        if (stat.group == group && stat.state != 'Z') {
            std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
            std::string name;
            std::getline(comm, name);
            names += name + " ";
        }
    }
    return names;
}

// The child of `parent` running `program`, -1 when there is none.
pid_t ChildRunning(pid_t parent, const fs::path& program) {
    std::error_code error;
    for (const pid_t pid : Processes()) {
        if (StatOf(pid).parent == parent &&
            fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", error) == program) {
            return pid;
        }
    }
    return -1;
}

class SessionProgramTest : public InstallationFolder, public ::testing::WithParamInterface<bool> {
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
        if (GetParam() && ::access("/usr/bin/openbox", X_OK) != 0) {
            GTEST_SKIP() << "no /usr/bin/openbox";
        }
        InstallationFolder::SetUp();
        const fs::path source = std::getenv("WARROW_SOURCE_DIR");
        const fs::path build = std::getenv("WARROW_BINARY_DIR");
        fs::copy_file(WARROW_SHELL, m_folder / "Warrow");
        fs::copy_file(source / "resources/warrow-session", m_folder / "warrow-session");
        fs::create_directories(m_folder / "session");
        fs::copy(source / "resources/session/openbox", m_folder / "session/openbox");
        fs::create_directory_symlink(build / "Resource", m_folder / "Resource");

        m_runtime =
            fs::temp_directory_path() / ("wss-" + std::to_string(::getpid())); // socket paths are short
        fs::remove_all(m_runtime);
        fs::create_directories(m_runtime);
        fs::permissions(m_runtime, fs::perms::owner_all);
        m_x = deskguard::CXConnection::Open(s_server->Display().c_str());
        ASSERT_NE(m_x, nullptr);
    }

    void TearDown() override {
        if (m_session > 0) {
            ::kill(-m_session, SIGKILL);
            ::waitpid(m_session, nullptr, 0);
        }
        if (m_pidfd >= 0) {
            ::close(m_pidfd);
        }
        if (m_errors >= 0) {
            ::close(m_errors);
        }
        if (s_server == nullptr || s_server->Display().empty()) {
            return;
        }
        m_x.reset();
        fs::remove_all(m_runtime);
        InstallationFolder::TearDown();
    }

    // Starts the session program as a display manager would, in a process
    // group of its own, with what a child's login files might have added.
    void StartSession() {
        std::vector<std::string> variables = {
            "HOME=" + m_runtime.string(),
            "DISPLAY=" + s_server->Display(),
            "XDG_RUNTIME_DIR=" + m_runtime.string(),
            "WARROW_SERVICE_SOCKET=" + (m_runtime / "service.sock").string(),
            "LANG=C.UTF-8",
            "PATH=" + m_runtime.string() + ":/usr/bin:/bin",
            "LD_LIBRARY_PATH=" + m_runtime.string(),
            "QT_PLUGIN_PATH=" + m_runtime.string(),
            "QT_QPA_PLATFORM=offscreen",
            "XDG_CONFIG_HOME=" + m_runtime.string(),
            "BASH_ENV=" + (m_runtime / "login.sh").string(),
        };
        // A login file that would run before the session program's first line.
        std::ofstream(m_runtime / "login.sh") << "touch '" << (m_runtime / "login-ran").string() << "'\n";
        if (!GetParam()) {
            variables.push_back("WARROW_SESSION_WINDOW_MANAGER=none");
        }
        AddSanitizerOptions(variables);
        std::vector<char*> envp;
        for (std::string& variable : variables) {
            envp.push_back(variable.data());
        }
        envp.push_back(nullptr);
        std::string program = (m_folder / "warrow-session").string();
        char* argv[] = {program.data(), nullptr};

        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup(&attributes, 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        int errors[2];
        ASSERT_EQ(::pipe2(errors, O_CLOEXEC), 0);
        posix_spawn_file_actions_adddup2(&actions, errors[1], 2);
        ASSERT_EQ(posix_spawn(&m_session, program.c_str(), &actions, &attributes, argv, envp.data()), 0);
        ::close(errors[1]);
        m_errors = errors[0];
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
        m_pidfd = static_cast<int>(::syscall(SYS_pidfd_open, m_session, 0));
        ASSERT_GE(m_pidfd, 0);
    }

    // The session program's exit status (128 + signal for a signal); -1
    // when it is still running after 30 s (a guard, not a measure).
    int SessionStatus() {
        pollfd pfd{m_pidfd, POLLIN, 0};
        if (::poll(&pfd, 1, 30000) != 1) {
            return -1;
        }
        int status = 0;
        if (::waitpid(m_session, &status, 0) != m_session) {
            return -1;
        }
        m_session = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    // The sanitizer build's options (its leak suppressions) reach the shell.
    static void AddSanitizerOptions(std::vector<std::string>& variables) {
        for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"}) {
            if (const char* value = std::getenv(name)) {
                variables.push_back(std::string(name) + "=" + value);
            }
        }
    }

    // True once the session program wrote a line holding `text` to its
    // standard error; false after 30 s without one (a guard, not a measure).
    bool Said(const std::string& text) {
        std::string line;
        for (;;) {
            pollfd pfd{m_errors, POLLIN, 0};
            char ch = 0;
            if (::poll(&pfd, 1, 30000) != 1 || ::read(m_errors, &ch, 1) != 1) {
                return false;
            }
            if (ch != '\n') {
                line += ch;
            } else if (line.find(text) != std::string::npos) {
                return true;
            } else {
                line.clear();
            }
        }
    }

    // Mapped full-screen windows titled "Warrow" (a window manager's frame
    // holds them one level down).
    int DesktopWindows(xcb_window_t under = XCB_WINDOW_NONE, int depth = 0) {
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
            if (g != nullptr && a != nullptr && a->map_state == XCB_MAP_STATE_VIEWABLE && g->width == 1280 &&
                g->height == 800 && deskguard::WindowTitle(*m_x, children[i]) == "Warrow") {
                ++found;
            } else if (depth == 0) {
                found += DesktopWindows(children[i], 1);
            }
            std::free(g);
            std::free(a);
        }
        std::free(tree);
        return found;
    }

    bool UntilX(const std::function<bool()>& done) { return testwait::ForXChange(*m_x, done); }

    // Starts the session and waits for the shell's desktop (and, with a
    // window manager, for openbox announcing itself); the shell's pid.
    pid_t StartAndWaitForDesktop() {
        StartSession();
        EXPECT_TRUE(UntilX([&] { return DesktopWindows() == 1; })) << "the shell's desktop is mapped";
        const pid_t shell = ChildRunning(m_session, fs::canonical(m_folder / "Warrow"));
        EXPECT_GT(shell, 0) << "the session program starts the shell from its own folder";
        if (GetParam()) {
            EXPECT_TRUE(UntilX([&] { return deskguard::FindWindowManager(*m_x) != XCB_WINDOW_NONE; }))
                << "openbox runs beside the shell";
            EXPECT_GT(ChildRunning(m_session, "/usr/bin/openbox"), 0);
        } else {
            EXPECT_EQ(ChildRunning(m_session, "/usr/bin/openbox"), -1);
            EXPECT_EQ(deskguard::FindWindowManager(*m_x), XCB_WINDOW_NONE);
        }
        return shell;
    }

    // Nothing the session started is left: its process group is empty,
    // and no window manager claims the screen.
    void ExpectNothingLeft(pid_t group) {
        EXPECT_EQ(RunningInGroup(group), "") << "processes of the session outlived it";
        EXPECT_TRUE(UntilX([&] { return deskguard::FindWindowManager(*m_x) == XCB_WINDOW_NONE; }));
        EXPECT_TRUE(UntilX([&] { return DesktopWindows() == 0; }));
    }

    static inline XvfbServer* s_server = nullptr;
    fs::path m_runtime;
    std::unique_ptr<deskguard::CXConnection> m_x;
    pid_t m_session = -1;
    int m_pidfd = -1;
    int m_errors = -1;
};

TEST_P(SessionProgramTest, TheShellIsTheDesktopAndTheLoginEnvironmentStaysOut) {
    const pid_t shell = StartAndWaitForDesktop();
    ASSERT_GT(shell, 0);
    const auto environment = Environment(shell);
    for (const char* name : {"LD_LIBRARY_PATH", "QT_PLUGIN_PATH", "QT_QPA_PLATFORM", "XDG_CONFIG_HOME"}) {
        EXPECT_EQ(environment.count(name), 0u) << name << " reached the shell";
    }
    EXPECT_FALSE(fs::exists(m_runtime / "login-ran")) << "BASH_ENV ran before the session program";
    ASSERT_EQ(environment.count("PATH"), 1u);
    EXPECT_EQ(environment.at("PATH").find(m_runtime.string()), std::string::npos)
        << "the child's own folder is not searched for programs";
    EXPECT_EQ(environment.at("DISPLAY"), s_server->Display());
    if (GetParam()) {
        // The window manager reads the installation's settings, not the home folder's.
        const pid_t openbox = ChildRunning(m_session, "/usr/bin/openbox");
        ASSERT_GT(openbox, 0);
        EXPECT_EQ(Environment(openbox)["XDG_CONFIG_HOME"], (m_folder / "session").string());
    }
    EXPECT_EQ(fs::read_symlink("/proc/" + std::to_string(shell) + "/cwd"), fs::canonical(m_folder))
        << "the shell runs in its installation folder";
}

TEST_P(SessionProgramTest, AShellKilledEndsTheSession) {
    const pid_t shell = StartAndWaitForDesktop();
    ASSERT_GT(shell, 0);
    const pid_t group = m_session;
    ASSERT_EQ(::kill(shell, SIGKILL), 0);
    EXPECT_EQ(SessionStatus(), 128 + SIGKILL) << "the session ends with the shell's status";
    ExpectNothingLeft(group);
}

TEST_P(SessionProgramTest, TheShellsRegularEndEndsTheSession) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "the shell takes /q only from root or the service's user; run as root";
    }
    const pid_t shell = StartAndWaitForDesktop();
    ASSERT_GT(shell, 0);
    const pid_t group = m_session;
    // "/q" from root, as the service sends it: the shell's own way out.
    const std::string quit =
        "cd '" + m_folder.string() + "' && XDG_RUNTIME_DIR='" + m_runtime.string() + "' ./Warrow /q";
    ASSERT_EQ(std::system(quit.c_str()), 0);
    EXPECT_EQ(SessionStatus(), 0);
    ExpectNothingLeft(group);
}

TEST_P(SessionProgramTest, AShellAlreadyOnTheDisplayHoldsTheSession) {
    // A shell started for this user before the session's own one (as the
    // service does at login), on the same display.
    pid_t first = -1;
    {
        std::string program = (m_folder / "Warrow").string();
        std::vector<std::string> variables = {
            "DISPLAY=" + s_server->Display(), "XDG_RUNTIME_DIR=" + m_runtime.string(),
            "WARROW_SERVICE_SOCKET=" + (m_runtime / "service.sock").string()};
        AddSanitizerOptions(variables);
        std::vector<char*> envp;
        for (std::string& variable : variables) {
            envp.push_back(variable.data());
        }
        envp.push_back(nullptr);
        char* argv[] = {program.data(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        ASSERT_EQ(posix_spawn(&first, program.c_str(), &actions, nullptr, argv, envp.data()), 0);
        posix_spawn_file_actions_destroy(&actions);
    }
    ASSERT_TRUE(UntilX([&] { return DesktopWindows() == 1; }));

    StartSession();
    const pid_t group = m_session;
    EXPECT_TRUE(Said("the shell " + std::to_string(first) + " holds the session"));
    int status = 0;
    EXPECT_EQ(::waitpid(m_session, &status, WNOHANG), 0) << "the session ended beside a running shell";
    EXPECT_EQ(DesktopWindows(), 1) << "one desktop, not two";

    ASSERT_EQ(::kill(first, SIGKILL), 0);
    ::waitpid(first, nullptr, 0);
    EXPECT_EQ(SessionStatus(), 0) << "the session ends with the shell that held it";
    ExpectNothingLeft(group);
}

INSTANTIATE_TEST_SUITE_P(WindowManager, SessionProgramTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("Openbox") : std::string("None");
                         });

} // namespace
