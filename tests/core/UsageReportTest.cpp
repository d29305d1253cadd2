#include "InstallationFolder.h"

#include "core/CDBRecordset.h"
#include "core/COleDateTime.h"
#include "core/UsageReport.h"

#include <cstdio>

using namespace core;

namespace {

double When(int month, int day, int hours, int minutes) {
    COleDateTime date;
    date.SetDateTime(2026, month, day, hours, minutes, 0);
    return date.m_dt;
}

class UsageReportTest : public InstallationFolder {
protected:
    void Line(double when, const std::string& content) {
        char value[64];
        std::snprintf(value, sizeof value, "%.10f", when);
        ASSERT_TRUE(Db()->Execute(("INSERT INTO [AppLog]([DateTime],[Content],[Type]) VALUES (" +
                                   std::string(value) + ",'" + content + "',0)")
                                      .c_str()));
    }
    static std::int64_t Minutes(const tagUsageDay& day, const std::string& program) {
        const auto found = day.Seconds.find(program);
        return found == day.Seconds.end() ? 0 : RoundMinutes(found->second);
    }
};

} // namespace

TEST_F(UsageReportTest, AWeekWithProgramsOpenAcrossMidnight) {
    ASSERT_NE(Db(), nullptr);
    // Open before the first day of the report, closed on it.
    Line(When(11, 30, 23, 0), "启动了[Paint].");
    Line(When(12, 1, 1, 0), "关闭了[Paint].");
    Line(When(12, 3, 10, 0), "启动了[Game].");
    Line(When(12, 3, 10, 30), "打开了网页[http://example.org/].");
    Line(When(12, 3, 11, 0), "关闭了[Game].");
    // Two windows of one program count once while either is open.
    Line(When(12, 4, 14, 0), "启动了[Game].");
    Line(When(12, 4, 14, 10), "启动了[Game].");
    Line(When(12, 4, 14, 30), "关闭了[Game].");
    Line(When(12, 4, 15, 0), "关闭了[Game].");
    Line(When(12, 4, 16, 0), "关闭了[Stray]."); // closed without a start: unknown, not counted
    Line(When(12, 5, 23, 30), "启动了[Paint].");
    Line(When(12, 6, 0, 45), "关闭了[Paint].");
    Line(When(12, 7, 9, 0), "启动了[Game].");  // still open
    Line(When(12, 8, 9, 0), "启动了[Later]."); // after the report

    tagUsageReport report;
    ASSERT_TRUE(ComputeUsage(*Db(), 20261207, 7, When(12, 7, 9, 20), report));
    ASSERT_EQ(report.Days.size(), 7u);
    EXPECT_EQ(report.Days.front().Day, 20261201);
    EXPECT_EQ(report.Days.back().Day, 20261207);
    EXPECT_EQ(Minutes(report.Days[0], "Paint"), 60) << "the part after midnight";
    EXPECT_EQ(Minutes(report.Days[2], "Game"), 60);
    EXPECT_EQ(Minutes(report.Days[3], "Game"), 60);
    EXPECT_EQ(Minutes(report.Days[3], "Stray"), 0);
    EXPECT_EQ(Minutes(report.Days[4], "Paint"), 30);
    EXPECT_EQ(Minutes(report.Days[5], "Paint"), 45);
    EXPECT_EQ(Minutes(report.Days[6], "Game"), 20) << "open until now";
    EXPECT_EQ(report.Days[6].Seconds.count("Later"), 0u);
    ASSERT_EQ(report.TopWeek.size(), 2u);
    EXPECT_EQ(report.TopWeek[0].first, "Game");
    EXPECT_EQ(RoundMinutes(report.TopWeek[0].second), 140);
    EXPECT_EQ(RoundMinutes(report.TopWeek[1].second), 135);

    // Fourteen days: the week's top list still covers the last seven only.
    ASSERT_TRUE(ComputeUsage(*Db(), 20261207, 14, When(12, 7, 9, 20), report));
    EXPECT_EQ(report.Days.size(), 14u);
    EXPECT_EQ(report.Days.front().Day, 20261124);
    EXPECT_EQ(Minutes(report.Days[6], "Paint"), 60) << "Nov 30, 23:00 to midnight";
    EXPECT_EQ(RoundMinutes(report.TopWeek[1].second), 135);
}

TEST_F(UsageReportTest, TheQueryWalksTheTimeIndex) {
    ASSERT_NE(Db(), nullptr);
    std::string plan;
    CDBRecordset rs;
    ASSERT_TRUE(Db()->OpenRecordset("EXPLAIN QUERY PLAN SELECT [DateTime],[Content] FROM [AppLog] WHERE "
                                    "[DateTime] >= 1 AND [DateTime] < 2 AND ([Content] LIKE '启动了[%' OR "
                                    "[Content] LIKE '关闭了[%') ORDER BY [DateTime],[ID]",
                                    rs));
    for (int i = rs.Count(); i > 0; --i, rs.MoveNext()) {
        std::string detail;
        rs.GetField("detail", detail);
        plan += detail + "\n";
    }
    EXPECT_NE(plan.find("AppLogByTime"), std::string::npos) << plan;
}
