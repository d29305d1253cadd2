// WarrowReport itself, run as a crashed program starts it, against the
// reference report server. The dialog is driven by its automation variables.
#include "report/CWarrowReportApp.h"
#include "report/ReportConnection.h"
#include "tests/core/InstallationFolder.h"
#include "tests/server/ServerProcess.h"

#include <chrono>
#include <cstring>
#include <sstream>
#include <thread>

extern char** environ;

namespace {

namespace fs = std::filesystem;

const std::string kLogName = "crash[2026-03-05( 08.07.09 )].Txt";

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class ReportProgramTest : public InstallationFolder {
protected:
    void SetUp() override {
        InstallationFolder::SetUp();
        CWarrowDBConfig account;
        account.Init(kDataBasePath, kDataBasePassword);
        account.GetInfo().ID = 4242;
        ASSERT_TRUE(account.Save());
        // Three lines ending in CR LF, 100 bytes in all.
        m_log = "系统信息：Linux\r\n异常代码：EXCEPTION_ACCESS_VIOLATION(0xc0000005)\r\n";
        m_log += std::string(100 - m_log.size() - 2, '/') + "\r\n";
        std::ofstream(kLogName, std::ios::binary) << m_log;
    }

    // Runs the program in the installation folder with these variables set;
    // its exit status, or -1 when it did not end within 30 s.
    int Run(const std::vector<std::string>& args, std::vector<std::string> variables) {
        const char* program = std::getenv("WARROW_REPORT_PROGRAM");
        if (program == nullptr)
            return -1;
        for (char** v = environ; *v != nullptr; ++v)
            if (std::strncmp(*v, "WARROW_REPORT_", 14) != 0)
                variables.emplace_back(*v);
        std::vector<char*> envp;
        for (auto& v : variables)
            envp.push_back(v.data());
        envp.push_back(nullptr);
        std::vector<std::string> words{program};
        words.insert(words.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& w : words)
            argv.push_back(w.data());
        argv.push_back(nullptr);

        const pid_t pid = fork();
        if (pid == 0) {
            const int out = ::open("program.out", O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(out, STDOUT_FILENO);
            dup2(out, STDERR_FILENO);
            execve(program, argv.data(), envp.data());
            _exit(127);
        }
        int status = 0;
        for (int i = 0; i < 3000; ++i) {
            if (waitpid(pid, &status, WNOHANG) == pid)
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return -1;
    }

    static std::string PortVariable(unsigned short port) {
        return std::string(report::kPortVariable) + "=" + std::to_string(port);
    }

    std::vector<fs::path> Reports() const {
        std::vector<fs::path> found;
        if (fs::exists("store"))
            for (const auto& entry : fs::directory_iterator("store"))
                found.push_back(entry.path());
        return found;
    }

    std::string m_log;
};

TEST_F(ReportProgramTest, SendsTheLogAsReadInTextModeAndDeletesIt) {
    CServerProcess server("WARROW_REPORTD", {"--port", "0", "--store", "store"});
    ASSERT_NE(server.Port(), 0) << server.Log();
    const std::string send = std::string(CWarrowReportApp::kAutoSendVariable) + "=打开设置时崩溃";
    EXPECT_EQ(Run({"{WarrowTray}{" + kLogName + "}"}, {PortVariable(server.Port()), send}), 0)
        << ReadAll("program.out");
    EXPECT_EQ(server.Stop(), 0);

    const auto reports = Reports();
    ASSERT_EQ(reports.size(), 1u) << server.Log();
    const std::string log = ReadAll(reports[0] / "log");
    ASSERT_EQ(log.size(), 100u);
    EXPECT_EQ(log.substr(97), std::string(3, '\0'));
    std::string textMode = m_log;
    for (std::size_t at; (at = textMode.find("\r\n")) != std::string::npos;)
        textMode.erase(at, 1);
    EXPECT_EQ(log.substr(0, 97), textMode);
    const std::string meta = ReadAll(reports[0] / "report.txt");
    EXPECT_NE(meta.find("account: 4242\n"), std::string::npos) << meta;
    EXPECT_NE(meta.find("program: WarrowTray\n"), std::string::npos) << meta;
    EXPECT_NE(meta.find("log-file: " + kLogName + "\n"), std::string::npos) << meta;
    EXPECT_NE(meta.find("\n\n打开设置时崩溃\n"), std::string::npos) << meta;
    EXPECT_FALSE(fs::exists(kLogName));
}

TEST_F(ReportProgramTest, WithoutAServerItEndsAtOnceAndKeepsTheLog) {
    unsigned short port = 0;
    {
        CServerProcess gone("WARROW_REPORTD", {"--port", "0", "--store", "store"});
        port = gone.Port();
    }
    ASSERT_NE(port, 0);
    const std::string send = std::string(CWarrowReportApp::kAutoSendVariable) + "=x";
    EXPECT_EQ(Run({"{WarrowTray}{" + kLogName + "}"}, {PortVariable(port), send}), 1);
    EXPECT_EQ(ReadAll(kLogName), m_log);
}

TEST_F(ReportProgramTest, ClosingWithoutSendingDeletesTheLogAndSendsNothing) {
    CServerProcess server("WARROW_REPORTD", {"--port", "0", "--store", "store"});
    ASSERT_NE(server.Port(), 0) << server.Log();
    const std::string close = std::string(CWarrowReportApp::kAutoCloseVariable) + "=1";
    // The values split at their blanks, as a shell would pass them unquoted.
    EXPECT_EQ(
        Run({"{WarrowTray}{crash[2026-03-05(", "08.07.09", ")].Txt}"}, {PortVariable(server.Port()), close}),
        0)
        << ReadAll("program.out");
    EXPECT_EQ(server.Stop(), 0);
    EXPECT_TRUE(Reports().empty());
    EXPECT_FALSE(fs::exists(kLogName));
}

} // namespace
