#include "InstallationFolder.h"

#include "core/DailyCounters.h"
#include "core/TimeTables.h"
#include "core/UsageClock.h"
#include "core/WeekSchedule.h"
#include "ltl/CIni.h"

#include <cstdlib>
#include <ctime>

using namespace core;

namespace {

constexpr int kMon = 0, kTue = 1, kSat = 5, kSun = 6;

int At(int hours, int minutes) {
    return hours * 60 + minutes;
}

// Runs the body with the process in another time zone.
class TimeZone {
public:
    explicit TimeZone(const char* zone) {
        const char* old = std::getenv("TZ");
        m_had = old != nullptr;
        m_old = old ? old : "";
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~TimeZone() {
        m_had ? ::setenv("TZ", m_old.c_str(), 1) : ::unsetenv("TZ");
        ::tzset();
    }

private:
    bool m_had;
    std::string m_old;
};

} // namespace

TEST(WeekScheduleTest, ParsesTheForms) {
    EXPECT_EQ(ParseWeekday("MoN"), kMon);
    EXPECT_EQ(ParseWeekday("sun"), kSun);
    EXPECT_FALSE(ParseWeekday("monday"));
    EXPECT_FALSE(ParseWeekday(""));

    const auto spans = ParseSpans("13:00-20:30,07:00-12:00");
    ASSERT_TRUE(spans);
    EXPECT_EQ(spans->size(), 2u);
    EXPECT_EQ(ParseSpans("none"), std::vector<tagTimeSpan>{});
    EXPECT_EQ(ParseSpans("20:00-24:00"), (std::vector<tagTimeSpan>{{At(20, 0), 1440}}));
    for (const char* bad : {"", "7:00-12:00", "12:00-07:00", "10:00-10:00", "24:00-24:00", "00:00-24:01",
                            "10:60-11:00", "10:00-11:00,", "10:00_11:00", "aa:bb-cc:dd", "20:00-02:00"}) {
        EXPECT_FALSE(ParseSpans(bad)) << bad;
    }
    CWeekSchedule week;
    week.Set(kMon, *ParseSpans("13:00-20:30,07:00-12:00,11:00-13:00"));
    EXPECT_EQ(FormatSpans(*week.Day(kMon)), "07:00-20:30") << "touching spans join";
}

TEST(WeekScheduleTest, EdgesOfTheDay) {
    CWeekSchedule week;
    week.Set(kSat, {{At(20, 0), 1440}});
    week.Set(kSun, {{0, At(1, 0)}});
    week.Set(kTue, {}); // closed all day

    EXPECT_TRUE(week.Allows(kMon, At(3, 0))) << "a day without an entry has no limits";
    EXPECT_FALSE(week.Allows(kTue, At(12, 0)));
    EXPECT_EQ(week.MinutesLeft(kTue, At(12, 0)), 0);
    EXPECT_FALSE(week.Allows(kSat, At(19, 59)));
    EXPECT_TRUE(week.Allows(kSat, At(23, 59)));
    EXPECT_FALSE(week.Allows(kSun, At(1, 0))) << "the end minute is outside";
    // A span ending at midnight goes on into the next day's span from 00:00.
    EXPECT_EQ(week.MinutesLeft(kSat, At(23, 0)), 120);
    // Monday is open, Tuesday closed: the computer closes at Monday's midnight.
    EXPECT_EQ(week.MinutesLeft(kMon, At(22, 0)), 120);
    CWeekSchedule open;
    EXPECT_FALSE(open.MinutesLeft(kMon, 0)) << "no end within a week";
}

TEST(UsageClockTest, DaysAndMinutesAcrossChangesOfTheClock) {
    EXPECT_EQ(WeekdayOf(20261207), kMon);
    EXPECT_EQ(WeekdayOf(20240229), 3);
    TimeZone berlin("Europe/Berlin");
    // 2026-03-29: the clocks go from 02:00 to 03:00.
    const std::time_t springBefore = 1774746000 - 60; // 01:59 local
    EXPECT_EQ(LocalTimeOf(springBefore).Minute, At(1, 59));
    EXPECT_EQ(LocalTimeOf(springBefore + 60).Minute, At(3, 0));
    EXPECT_EQ(LocalTimeOf(springBefore + 60).Day, 20260329);
    // 2026-10-25: from 03:00 back to 02:00; the day is 25 hours long and
    // stays one day.
    const std::time_t autumnMidnight = 1792879200; // 00:00 local, +02:00
    EXPECT_EQ(LocalTimeOf(autumnMidnight).Day, 20261025);
    EXPECT_EQ(LocalTimeOf(autumnMidnight + 25 * 3600 - 1).Day, 20261025);
    EXPECT_EQ(LocalTimeOf(autumnMidnight + 25 * 3600).Day, 20261026);
}

using TimeTablesTest = InstallationFolder;

TEST_F(TimeTablesTest, ScheduleAndLimitsSurviveInTheirOwnTables) {
    ASSERT_NE(Db(), nullptr);
    CWeekSchedule empty;
    ASSERT_TRUE(LoadSchedule(*Db(), empty)) << "a file without the tables reads as nothing set";
    EXPECT_TRUE(empty.Empty());
    AppLimits none;
    ASSERT_TRUE(LoadAppLimits(*Db(), none));
    EXPECT_TRUE(none.empty());

    ASSERT_TRUE(
        SaveScheduleDay(*Db(), kMon, std::vector<tagTimeSpan>{{At(7, 0), At(12, 0)}, {At(13, 0), 1440}}));
    ASSERT_TRUE(SaveScheduleDay(*Db(), kTue, std::vector<tagTimeSpan>{}));
    ASSERT_TRUE(SaveScheduleDay(*Db(), kSat, std::vector<tagTimeSpan>{{0, 60}}));
    ASSERT_TRUE(SaveScheduleDay(*Db(), kSat, std::nullopt));
    ASSERT_TRUE(SaveAppLimit(*Db(), "it's; a [game]", {30, false}));
    ASSERT_TRUE(SaveAppLimit(*Db(), "typing", {-1, true}));
    ASSERT_TRUE(SaveAppLimit(*Db(), "gone", {10, true}));
    ASSERT_TRUE(SaveAppLimit(*Db(), "gone", {}));

    CDBManager::Destroy(); // read back through a new connection
    CWeekSchedule week;
    ASSERT_TRUE(LoadSchedule(*Db(), week));
    EXPECT_EQ(FormatSpans(*week.Day(kMon)), "07:00-12:00,13:00-24:00");
    ASSERT_TRUE(week.Day(kTue));
    EXPECT_TRUE(week.Day(kTue)->empty()) << "a closed day stays closed";
    EXPECT_FALSE(week.Day(kSat)) << "a cleared day has no limits";
    AppLimits limits;
    ASSERT_TRUE(LoadAppLimits(*Db(), limits));
    EXPECT_EQ(limits.size(), 2u);
    EXPECT_EQ(limits["it's; a [game]"], (tagAppLimit{30, false}));
    EXPECT_EQ(limits["typing"], (tagAppLimit{-1, true}));
}

using DailyCountersTest = InstallationFolder;

TEST_F(DailyCountersTest, CountersAndWarningsInConfigIni) {
    tagDailyCounters counters;
    counters.Day = 20261207;
    counters.Minute = At(19, 30);
    counters.ExtraMs = 900000;
    counters.AppMs = {{" 'quoted' game ", 5}, {"a;b:c=d%e", 61000}, {"line\nbreak", 1}, {"plain", 7200000}};
    ltl::CIni ini(false, -1, "", "Config.ini");
    ASSERT_TRUE(ini.SetStrings(DailyCounterEntries(counters)));
    EXPECT_EQ(ReadDailyCounters(ini), counters);
    EXPECT_EQ(ini.GetInt("System", "ID"), 77) << "the rest of the file is kept";

    ASSERT_TRUE(ini.SetString("Usage", "Apps", "x:-5;:3;y:abc;z:12"));
    const auto damaged = ReadDailyCounters(ini);
    EXPECT_EQ(damaged.AppMs.at("z"), 12);
    EXPECT_EQ(damaged.AppMs.at("x"), 0) << "a negative count is no credit";
    EXPECT_EQ(damaged.AppMs.at("y"), 0);
    ASSERT_TRUE(ini.SetStrings({{"Usage", "Day", "20261399"}, {"Usage", "Extra", "9223372036854775807"}}));
    EXPECT_EQ(ReadDailyCounters(ini).Day, 0) << "not a date";
    EXPECT_EQ(ReadDailyCounters(ini).ExtraMs, 0) << "more than a day can hold is damage, not credit";

    EXPECT_EQ(ReadWarningMinutes(ini), (std::vector<int>{15, 5, 1})) << "missing key: the standard warnings";
    ASSERT_TRUE(ini.SetString("Time", "Warnings", "1,10,x,0,10,3000"));
    EXPECT_EQ(ReadWarningMinutes(ini), (std::vector<int>{10, 1}));
    ASSERT_TRUE(ini.SetString("Time", "Warnings", ""));
    EXPECT_TRUE(ReadWarningMinutes(ini).empty()) << "empty: no warnings";
}
