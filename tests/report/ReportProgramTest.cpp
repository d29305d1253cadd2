// WarrowReport itself, run as a crashed program starts it, against the
// reference report server. The dialog is driven by its automation variables.
#include "report/CWarrowReportApp.h"
#include "report/ReportConnection.h"
#include "tests/core/InstallationFolder.h"
#include "tests/server/ServerProcess.h"

#include <chrono>
#include <map>
#include <sstream>
#include <thread>

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
        // Three lines ending in CR LF, 100 bytes in all; read in text mode,
        // three LF and three zero bytes at the end.
        const std::string lines[] = {"系统信息：Linux", "异常代码：EXCEPTION_ACCESS_VIOLATION(0xc0000005)",
                                     std::string(21, '/')};
        for (const auto& line : lines) {
            m_log += line + "\r\n";
            m_textMode += line + "\n";
        }
        m_textMode += std::string(3, '\0');
        std::ofstream(kLogName, std::ios::binary) << m_log;
    }

    // Runs the program in the installation folder with these variables set;
    // its exit status, or -1 when it did not end within 30 s.
    int Run(std::vector<std::string> args, const std::map<std::string, std::string>& variables) {
        const char* program = std::getenv("WARROW_REPORT_PROGRAM");
        if (program == nullptr)
            return -1;
        args.insert(args.begin(), program);
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        for (const auto& [name, value] : variables)
            setenv(name.c_str(), value.c_str(), 1);
        const pid_t pid = fork();
        if (pid == 0) {
            const int out = ::open("program.out", O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(out, STDOUT_FILENO);
            dup2(out, STDERR_FILENO);
            execv(program, argv.data());
            _exit(127);
        }
        for (const auto& [name, value] : variables)
            unsetenv(name.c_str());
        int status = 0;
        pid_t ended = 0;
        for (int i = 0; i < 3000 && (ended = waitpid(pid, &status, WNOHANG)) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (ended != pid) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::vector<fs::path> Reports() const {
        std::vector<fs::path> found;
        if (fs::exists("store"))
            for (const auto& entry : fs::directory_iterator("store"))
                found.push_back(entry.path());
        return found;
    }

    std::string m_log;
    std::string m_textMode;
};

TEST_F(ReportProgramTest, SendsTheLogAsReadInTextModeAndDeletesIt) {
    CServerProcess server("WARROW_REPORTD", {"--port", "0", "--store", "store"});
    ASSERT_NE(server.Port(), 0) << server.Log();
    EXPECT_EQ(
        Run({"{WarrowTray}{" + kLogName + "}"}, {{report::kPortVariable, std::to_string(server.Port())},
                                                 {CWarrowReportApp::kAutoSendVariable, "打开设置时崩溃"}}),
        0)
        << ReadAll("program.out");
    EXPECT_EQ(server.Stop(), 0);

    const auto reports = Reports();
    ASSERT_EQ(reports.size(), 1u) << server.Log();
    ASSERT_EQ(m_log.size(), 100u);
    EXPECT_EQ(ReadAll(reports[0] / "log"), m_textMode);
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
    EXPECT_EQ(Run({"{WarrowTray}{" + kLogName + "}"}, {{report::kPortVariable, std::to_string(port)},
                                                       {CWarrowReportApp::kAutoSendVariable, "x"}}),
              1);
    EXPECT_EQ(ReadAll(kLogName), m_log);
}

TEST_F(ReportProgramTest, ClosingWithoutSendingDeletesTheLogAndSendsNothing) {
    CServerProcess server("WARROW_REPORTD", {"--port", "0", "--store", "store"});
    ASSERT_NE(server.Port(), 0) << server.Log();
    // The values split at their blanks, as a shell would pass them unquoted.
    EXPECT_EQ(Run({"{WarrowTray}{crash[2026-03-05(", "08.07.09", ")].Txt}"},
                  {{report::kPortVariable, std::to_string(server.Port())},
                   {CWarrowReportApp::kAutoCloseVariable, "1"}}),
              0)
        << ReadAll("program.out");
    EXPECT_EQ(server.Stop(), 0);
    EXPECT_TRUE(Reports().empty());
    EXPECT_FALSE(fs::exists(kLogName));
}

} // namespace
