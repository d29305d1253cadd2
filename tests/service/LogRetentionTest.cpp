#include "core/CDBRecordset.h"
#include "service/CLogRetention.h"
#include "tests/core/InstallationFolder.h"
#include "tests/service/ServiceProcess.h"

#include <csignal>

namespace {

class LogRetentionTest : public InstallationFolder {
protected:
    // `count` lines stamped `age` days before `now`.
    void AddLines(int count, double age, const char* content) {
        ASSERT_TRUE(
            Db()->Execute(("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < " +
                           std::to_string(count) + ") INSERT INTO [AppLog] ([DateTime], [Content]) SELECT " +
                           std::to_string(m_now.m_dt - age) + ", '" + content + "' FROM n")
                              .c_str()));
    }
    int Lines(const std::string& content) {
        CDBRecordset rs;
        EXPECT_TRUE(Db()->OpenRecordset(
            ("SELECT count(*) AS n FROM [AppLog] WHERE [Content] = '" + content + "'").c_str(), rs));
        int n = -1;
        rs.GetField("n", n);
        return n;
    }
    void KeepDays(const std::string& value) { AppendConfig("\n[Log]\nKeepDays=" + value + "\n"); }

    // Steps through one run; the pauses between batches it asks for.
    int Run(CLogRetention& retention) {
        int pauses = 0;
        while (retention.Step(m_now) == CLogRetention::kPauseMs) {
            ++pauses;
        }
        EXPECT_FALSE(retention.Running());
        return pauses;
    }

    CLogRetention Retention() {
        return CLogRetention([this] { return &m_log; }, "Config.ini");
    }

    const COleDateTime m_now = COleDateTime::GetCurrentTime();
    CWarrowLog m_log;
};

TEST_F(LogRetentionTest, KeepDaysIsOffUnlessAPositiveNumber) {
    EXPECT_EQ(CLogRetention::ReadKeepDays("Config.ini"), 0) << "no [Log] section";
    EXPECT_EQ(CLogRetention::ReadKeepDays("missing.ini"), 0);
    for (const char* off : {"", "0", "-3", "never"}) {
        WriteConfig(std::string("[Log]\nKeepDays=") + off + "\n");
        EXPECT_EQ(CLogRetention::ReadKeepDays("Config.ini"), 0) << off;
    }
    WriteConfig("[log]\nkeepdays=30\n");
    EXPECT_EQ(CLogRetention::ReadKeepDays("Config.ini"), 30);
    WriteConfig("[Log]\nKeepDays=99999999\n");
    EXPECT_EQ(CLogRetention::ReadKeepDays("Config.ini"), CLogRetention::kMaxKeepDays);
}

TEST_F(LogRetentionTest, RemovesOnlyLinesOlderThanTheSettingInBatchesAndNeverTheDays) {
    m_log.SetDataBase(Db());
    AddLines(1100, 40, "old");
    AddLines(3, 6.9, "week");
    AddLines(3, 0.99, "today");
    ASSERT_TRUE(Db()->Execute("INSERT INTO [AppLog] ([Content]) VALUES ('undated')"));

    CLogRetention retention = Retention();
    EXPECT_EQ(retention.Step(m_now), CLogRetention::kDayMs) << "off: nothing to do until tomorrow";
    EXPECT_EQ(Lines("old"), 1100);

    KeepDays("7");
    EXPECT_EQ(Run(retention), 2) << "1100 lines are three batches of at most 500";
    EXPECT_EQ(Lines("old"), 0);
    EXPECT_EQ(Lines("week"), 3);
    EXPECT_EQ(Lines("today"), 3);

    WriteConfig("[Log]\nKeepDays=1\n");
    EXPECT_EQ(Run(retention), 0) << "the setting is read again at each run";
    EXPECT_EQ(Lines("week"), 0);
    EXPECT_EQ(Lines("today"), 3) << "the last day's lines always stay";
    EXPECT_EQ(Lines("undated"), 1);
}

TEST_F(LogRetentionTest, TheServiceCleansTheLogOnceItsLoopRuns) {
    for (const char* name : {"Warrow", "WarrowTray"}) {
        WriteScript(m_folder / name, "exit 0\n");
    }
    AddLines(700, 30, "old");
    AddLines(2, 0.5, "today");
    KeepDays("10");
    CDBManager::Destroy();

    ServiceProcess service(m_folder);
    service.Start();
    ASSERT_TRUE(service.WaitForOutput("activity log: removed 700 lines older than 10 days\n"))
        << service.Out();
    EXPECT_EQ(service.StopWith(SIGTERM), 0);
    EXPECT_EQ(Lines("old"), 0);
    EXPECT_EQ(Lines("today"), 2);
}

} // namespace
