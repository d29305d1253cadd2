// The WarrowTray program in an installation folder of its own: one console
// per user, and "/q" ends the running one.

#include "tests/core/InstallationFolder.h"
#include "tests/support/Wait.h"

#include "console/CWarrowTrayApp.h"
#include "platform/SingleInstance.h"

#include <csignal>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

// One run of the program, killed if a test leaves it running.
class ConsoleProcess {
public:
    ConsoleProcess(const fs::path& folder, const std::vector<std::string>& arguments) {
        m_pid = ::fork();
        if (m_pid == 0) {
            if (::chdir(folder.c_str()) != 0) {
                _exit(126);
            }
            std::vector<std::string> args{"./WarrowTray"};
            args.insert(args.end(), arguments.begin(), arguments.end());
            std::vector<char*> argv;
            for (auto& a : args) {
                argv.push_back(a.data());
            }
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            _exit(127);
        }
    }
    ~ConsoleProcess() {
        if (m_pid > 0 && !m_bEnded) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    ConsoleProcess(const ConsoleProcess&) = delete;
    ConsoleProcess& operator=(const ConsoleProcess&) = delete;

    // True once the process has ended; `status` is its exit status. Gives up after 30 s.
    bool WaitForEnd(int& status) {
        testwait::ForExit(m_pid);
        Ended();
        status = m_nStatus;
        return m_bEnded;
    }
    bool Ended() {
        int status = 0;
        if (!m_bEnded && ::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_bEnded = true;
            m_nStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        return m_bEnded;
    }

private:
    pid_t m_pid = -1;
    bool m_bEnded = false;
    int m_nStatus = -1;
};

class ConsoleProgramTest : public InstallationFolder {
protected:
    void SetUp() override {
        InstallationFolder::SetUp();
        fs::copy_file(WARROW_TRAY, m_folder / "WarrowTray");
        fs::create_directory_symlink(fs::path(std::getenv("WARROW_BINARY_DIR")) / "Resource",
                                     m_folder / "Resource");
        AppendConfig("\n[Network]\nIp=127.0.0.1\nPort=1\n");
        m_runtime = fs::temp_directory_path() / ("wcp-" + std::to_string(::getpid()));
        fs::remove_all(m_runtime);
        fs::create_directories(m_runtime);
        fs::permissions(m_runtime, fs::perms::owner_all);
        ::setenv("XDG_RUNTIME_DIR", m_runtime.c_str(), 1);
        m_mailbox = platform::InstanceMailboxPath(CWarrowTrayApp::kWindowTitle);
    }
    void TearDown() override {
        fs::remove_all(m_runtime);
        InstallationFolder::TearDown();
    }

    fs::path m_runtime;
    fs::path m_mailbox;
};

} // namespace

TEST_F(ConsoleProgramTest, ASecondConsoleEndsSilentlyAndQuitEndsTheRunningOne) {
    ConsoleProcess first(m_folder, {});
    ASSERT_TRUE(testwait::ForFile(m_mailbox)); // the first console listens

    int status = -1;
    ConsoleProcess second(m_folder, {});
    ASSERT_TRUE(second.WaitForEnd(status));
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(first.Ended());

    ConsoleProcess quit(m_folder, {"/q"});
    ASSERT_TRUE(quit.WaitForEnd(status));
    EXPECT_EQ(status, 0);
    ASSERT_TRUE(first.WaitForEnd(status));
    EXPECT_EQ(status, 0);
}

TEST_F(ConsoleProgramTest, QuitWithoutARunningConsoleJustEnds) {
    int status = -1;
    ConsoleProcess quit(m_folder, {"x/qy"}); // "/q" anywhere in the command line
    ASSERT_TRUE(quit.WaitForEnd(status));
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(fs::exists(m_mailbox));
}
