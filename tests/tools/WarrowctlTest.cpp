#include "core/CDataBase.h"
#include "core/COleDateTime.h"
#include "core/CWarrowCoreInterface.h"
#include "platform/ServiceChannel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct Result {
    int status;
    std::string out;
    std::string err;
};

class WarrowctlTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("warrowctl-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    // Runs warrowctl on the test folder; `options` come before --dir.
    Result Run(const std::string& arguments, const std::string& options = "") {
        const fs::path errFile = m_dir / "stderr.txt";
        const std::string command = std::string(std::getenv("WARROWCTL")) + " " + options + " --dir '" +
                                    m_dir.string() + "' " + arguments + " 2>'" + errFile.string() + "'";
        Result result{-1, "", ""};
        FILE* pipe = ::popen(command.c_str(), "r");
        std::array<char, 4096> buffer{};
        std::size_t n;
        while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
            result.out.append(buffer.data(), n);
        }
        const int status = ::pclose(pipe);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::ifstream err(errFile);
        result.err.assign(std::istreambuf_iterator<char>(err), {});
        fs::remove(errFile);
        return result;
    }

    fs::path m_dir;
};

TEST_F(WarrowctlTest, InitCreatesMissingFilesAndKeepsExistingOnes) {
    EXPECT_EQ(Run("apps list").status, 2) << "no database yet";
    Result first = Run("init");
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(first.out, "created\tConfig.ini\ncreated\tDataBase/DataBase.db\ncreated\tDataBase/Cache.db\n");
    Run("log add kept");
    EXPECT_EQ(Run("init").out, "");
    EXPECT_NE(Run("log list").out.find("\tkept\t0\n"), std::string::npos);

    const Result config = Run("config");
    EXPECT_EQ(config.status, 0);
    EXPECT_NE(config.out.find("ID=-1\n"), std::string::npos) << "the service has not run yet";
    EXPECT_NE(config.out.find("PlayTime=7200000\n"), std::string::npos);
}

TEST_F(WarrowctlTest, AppsAreAddedMatchedAndDeleted) {
    Run("init");
    // Outside the installation folder, which the browser's entry allows as a whole.
    const fs::path game = m_dir.parent_path() / ("games-" + std::to_string(::getpid())) / "tux";
    fs::create_directories(game.parent_path());
    std::ofstream(game) << "#!/bin/sh\n";
    ::chmod(game.c_str(), 0755);

    EXPECT_EQ(Run("apps add '" + game.string() + "'").status, 0);
    EXPECT_EQ(Run("apps add '" + (m_dir / "Config.ini").string() + "'").status, 1);
    const Result list = Run("apps list");
    EXPECT_EQ(list.out, "WarrowExplorer\t" + m_dir.string() + "\t儿童浏览器\t\t\n" + "tux\t" +
                            game.parent_path().string() + "/\ttux\t\t\n");
    EXPECT_EQ(Run("apps match '" + game.string() + "'").out, "tux\n");
    EXPECT_EQ(Run("apps match /usr/bin/other").status, 1);
    EXPECT_EQ(Run("apps del tux").status, 0);
    EXPECT_EQ(Run("apps del tux").status, 1);
    fs::remove_all(game.parent_path());
}

TEST_F(WarrowctlTest, WebTreeIsBuiltCheckedAndErased) {
    Run("init");
    EXPECT_EQ(Run("web add-folder 游戏").status, 0);
    EXPECT_EQ(Run("web add-folder 游戏").status, 1) << "names are unique";
    EXPECT_EQ(Run("web add-page 游戏 Games http://games.example.com/play 1").status, 0);
    EXPECT_EQ(Run("web add-page 游戏 Bad ftp://x.example.com 1").status, 1);
    EXPECT_EQ(Run("web add-page nowhere P http://abc.example.com 1").status, 1);
    EXPECT_EQ(Run("web add-page 游戏 P http://abc.example.com 9").status, 2);
    EXPECT_EQ(
        Run("web list").out,
        "1\t4\t游戏\t\t0\t\t1\n2\t3\tGames\thttp://games.example.com/play\t1\thttp://games.example.com\t0\n");
    EXPECT_EQ(Run("web check http://games.example.com/x").out, "allowed\n");
    EXPECT_EQ(Run("web check https://games.example.com/x").out, "allowed\n");
    EXPECT_EQ(Run("web add-page 游戏 Secure https://secure.example.com/a 0").status, 0);
    EXPECT_EQ(Run("web check http://secure.example.com/a").out, "allowed\n");
    EXPECT_EQ(Run("web erase Secure").status, 0);
    const Result refused = Run("web check http://other.example.org/");
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "refused\n");
    EXPECT_EQ(Run("web erase 游戏").status, 0);
    EXPECT_EQ(Run("web list").out, "");
}

TEST_F(WarrowctlTest, LogAccountAndUsageErrors) {
    Run("init");
    EXPECT_EQ(Run("log add 'tab\there'").status, 0);
    const Result log = Run("log list");
    EXPECT_NE(log.out.find("\ttab\\there\t0\n"), std::string::npos) << "records stay one per line";
    EXPECT_EQ(Run("log clear").status, 0);
    EXPECT_EQ(Run("log list").out, "");
    EXPECT_EQ(Run("account").out, "-1\t\t0\n");
    EXPECT_EQ(Run("frobnicate").status, 2);
    EXPECT_EQ(Run("volume loud").status, 2);
    EXPECT_EQ(Run("").status, 2);
}

// Writes the log rows directly, as the other programs would have over months.
void WriteLogRows(const fs::path& folder, const std::string& sql) {
    CDataBase db;
    ASSERT_TRUE(db.Open((folder / kDataBasePath).c_str(), kDataBasePassword));
    ASSERT_TRUE(db.Execute(sql.c_str()));
}

TEST_F(WarrowctlTest, LogListShowsSmallLogsWholeAndLargeOnesByTheNewestPage) {
    Run("init");
    WriteLogRows(m_dir, "INSERT INTO [AppLog] ([DateTime], [Content], [Type]) VALUES (46000.5, 'b', 0), "
                        "(46000.25, 'a', 2), (46000.5, 'c', 0), (NULL, 'undated', 1)");
    EXPECT_EQ(Run("log list").out, "1899-12-30 00:00:00\tundated\t1\n2025-12-09 06:00:00\ta\t2\n"
                                   "2025-12-09 12:00:00\tb\t0\n2025-12-09 12:00:00\tc\t0\n")
        << "oldest first, lines of one second in the order written";
    EXPECT_EQ(Run("log list --all").out, Run("log list").out);

    Run("log clear");
    WriteLogRows(m_dir, "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 1200) "
                        "INSERT INTO [AppLog] ([DateTime], [Content], [Type]) SELECT 46000 + x / 86400.0, "
                        "'line ' || x, 0 FROM n");
    const Result newest = Run("log list");
    EXPECT_EQ(newest.status, 0);
    EXPECT_EQ(std::count(newest.out.begin(), newest.out.end(), '\n'), 500);
    EXPECT_EQ(newest.out.find("\tline 701\t0\n"), 19u) << "the newest 500, oldest of them first";
    const Result all = Run("log list --all");
    EXPECT_EQ(std::count(all.out.begin(), all.out.end(), '\n'), 1200);
    EXPECT_EQ(all.out.find("\tline 1\t0\n"), 19u);
    ASSERT_GT(all.out.size(), newest.out.size());
    EXPECT_EQ(all.out.substr(all.out.size() - newest.out.size()), newest.out);
    EXPECT_EQ(Run("log list --newest").status, 2);

    // A log that cannot be read any more stops only the commands that read it.
    WriteLogRows(m_dir, "ALTER TABLE [AppLog] RENAME TO [Lines]; CREATE VIEW [AppLog] AS SELECT "
                        "no_such_function([ID]) AS [ID] FROM [Lines]");
    EXPECT_EQ(Run("apps list").status, 0);
    EXPECT_EQ(Run("log list").status, 2);
}

TEST_F(WarrowctlTest, ChangeStyleReachesTheServiceSocket) {
    const std::string socket = (m_dir / "svc.sock").string();
    ::setenv("WARROW_SERVICE_SOCKET", socket.c_str(), 1);
    EXPECT_EQ(Run("changestyle 1").status, 1) << "no service listens";
    {
        platform::ServiceSocket service;
        ASSERT_TRUE(service.Open(socket));
        EXPECT_EQ(Run("changestyle 1").status, 0);
        EXPECT_EQ(Run("changestyle 2").status, 2) << "only the two programs can be asked for";
        std::string datagram;
        ASSERT_TRUE(service.Receive(datagram));
        EXPECT_EQ(datagram, "WRM_CHANGESTYLE 1");
        EXPECT_FALSE(service.Receive(datagram));
    }
    ::unsetenv("WARROW_SERVICE_SOCKET");
}

TEST_F(WarrowctlTest, StandardErrorCarriesOnlyRealErrorsUnlessTracingIsAsked) {
    ASSERT_EQ(Run("init").status, 0);
    const Result quiet = Run("apps list");
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.err, "");

    const Result traced = Run("apps list", "--verbose");
    EXPECT_EQ(traced.status, 0);
    EXPECT_EQ(traced.out, quiet.out) << "traces never mix with records";
    EXPECT_NE(traced.err.find(" SQL:[SELECT"), std::string::npos) << traced.err;

    const Result missing = Run("apps del NoSuchProgram");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err.find("SQL:["), std::string::npos) << missing.err;
}

} // namespace

TEST_F(WarrowctlTest, ScheduleIsSetListedAndCleared) {
    Run("init");
    EXPECT_EQ(Run("schedule list").out, "mon\t-\ntue\t-\nwed\t-\nthu\t-\nfri\t-\nsat\t-\nsun\t-\n");
    EXPECT_EQ(Run("schedule set MON 13:00-20:30,07:00-12:00").status, 0);
    EXPECT_EQ(Run("schedule set Sat 20:00-24:00").status, 0);
    EXPECT_EQ(Run("schedule set sun none").status, 0);
    EXPECT_EQ(Run("schedule list").out,
              "mon\t07:00-12:00,13:00-20:30\ntue\t-\nwed\t-\nthu\t-\nfri\t-\nsat\t20:00-24:00\nsun\tnone\n");
    EXPECT_EQ(Run("schedule clear mOn").status, 0);
    EXPECT_EQ(Run("schedule list").out.substr(0, 6), "mon\t-\n");
    for (const char* bad : {"schedule set funday 07:00-08:00", "schedule set mon 7-8",
                            "schedule set mon 09:00-08:00", "schedule clear", "schedule"}) {
        const Result r = Run(bad);
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_NE(r.err.find("schedule"), std::string::npos) << bad;
    }
}

TEST_F(WarrowctlTest, ProgramLimitsAndLearningFlags) {
    Run("init");
    EXPECT_EQ(Run("apps limit WarrowExplorer 30").status, 0);
    EXPECT_EQ(Run("apps learning WarrowExplorer on").status, 0);
    EXPECT_EQ(Run("apps limits").out, "WarrowExplorer\t30\tlearning\n");
    EXPECT_EQ(Run("apps limit WarrowExplorer none").status, 0);
    EXPECT_EQ(Run("apps limits").out, "WarrowExplorer\tnone\tlearning\n");
    EXPECT_EQ(Run("apps learning WarrowExplorer off").status, 0);
    EXPECT_EQ(Run("apps limits").out, "") << "an entry back at the defaults goes";
    EXPECT_EQ(Run("apps limit NoSuchGame 5").status, 1);
    EXPECT_EQ(Run("apps limit WarrowExplorer -3").status, 2);
    EXPECT_EQ(Run("apps limit WarrowExplorer 30x").status, 2);
    EXPECT_EQ(Run("apps learning WarrowExplorer yes").status, 2);
    EXPECT_EQ(Run("apps list").status, 0) << "the older forms still work";
    EXPECT_EQ(Run("apps limit WarrowExplorer 10").status, 0);
    EXPECT_EQ(Run("apps del WarrowExplorer").status, 0);
    EXPECT_EQ(Run("apps limit WarrowExplorer none").status, 0) << "a stale entry can be taken back";
    EXPECT_EQ(Run("apps limits").out, "");
    EXPECT_EQ(Run("apps limit WarrowExplorer 10").status, 1) << "no new one for a program not allowed";
}

TEST_F(WarrowctlTest, UsageFiguresFromTheLog) {
    Run("init");
    {
        // Two days ago, and across the midnight before yesterday.
        const double today = std::floor(COleDateTime::GetCurrentTime().m_dt);
        CDataBase db;
        ASSERT_TRUE(db.Open((m_dir / kDataBasePath).c_str(), kDataBasePassword));
        const auto line = [&db](double when, const char* content) {
            char sql[256];
            std::snprintf(sql, sizeof sql,
                          "INSERT INTO [AppLog]([DateTime],[Content],[Type]) VALUES (%.10f,'%s',0)", when,
                          content);
            ASSERT_TRUE(db.Execute(sql));
        };
        line(today - 2 + 10.0 / 24, "启动了[Tux Racer].");
        line(today - 2 + 10.75 / 24, "关闭了[Tux Racer].");
        line(today - 1 - 1.0 / 24, "启动了[Paint].");
        line(today - 1 + 0.25 / 24, "关闭了[Paint].");
    }
    const Result usage = Run("usage --days 3");
    EXPECT_EQ(usage.status, 0) << usage.err;
    const auto day = [](int back) {
        const COleDateTime date(std::floor(COleDateTime::GetCurrentTime().m_dt) - back);
        return date.Format().substr(0, 10);
    };
    EXPECT_EQ(usage.out, day(1) + "\tPaint\t15\n" + day(2) + "\tPaint\t60\n" + day(2) + "\tTux Racer\t45\n" +
                             "week\tPaint\t75\nweek\tTux Racer\t45\n");
    EXPECT_EQ(Run("usage --days 0").status, 2);
    EXPECT_EQ(Run("usage --days").status, 2);
}
