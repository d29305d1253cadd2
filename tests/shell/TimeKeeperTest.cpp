#include "shell/TimeKeeper.h"
#include "core/CWarrowControl.h"
#include "shell/PlayTime.h"

#include <gtest/gtest.h>

using namespace core;

namespace {

constexpr int kMinute = 60000;

class TestClock : public IUsageClock {
public:
    std::int64_t MonotonicMs() const override { return ms; }
    tagLocalTime Now() const override { return {day, minute}; }
    std::int64_t ms = 1000000;
    int day = 20261207; // a Monday
    int minute = 10 * 60;
};

// A shell's tick: the keeper decides, then the play and rest cycle counts.
struct Shell {
    TestClock clock;
    tagConfig config;
    tagTimeRules rules;
    std::unique_ptr<CTimeKeeper> keeper;

    Shell() {
        config.PlayTime = 60 * kMinute;
        config.RestTime = 10 * kMinute;
        config.TimeStyle = 0;
        config.CountTime = 0;
    }
    void Start(tagDailyCounters counters = {}) {
        keeper = std::make_unique<CTimeKeeper>(clock, rules, counters);
    }
    tagTimeDecision Tick(const std::vector<tagRunningProgram>& running = {}) {
        clock.ms += 1000;
        auto decision = keeper->Tick(running, config);
        if (decision.CountPlay) {
            TickPlayTime(config);
        }
        return decision;
    }
    // Ticks until a warning comes; the ticks it took.
    std::vector<std::pair<int, std::string>> Run(int seconds,
                                                 const std::vector<tagRunningProgram>& running = {}) {
        std::vector<std::pair<int, std::string>> warnings;
        for (int i = 1; i <= seconds; ++i) {
            for (auto& text : Tick(running).Warnings) {
                warnings.emplace_back(i, text);
            }
        }
        return warnings;
    }
};

const tagRunningProgram kGame{"game", "Game"};
const tagRunningProgram kTyping{"typing", "Typing"};

} // namespace

TEST(TimeKeeperTest, WarnsAtEachMinuteBeforeTheRest) {
    Shell shell;
    shell.config.PlayTime = 16 * kMinute;
    shell.Start();
    const auto warnings = shell.Run(16 * 60);
    ASSERT_EQ(warnings.size(), 3u);
    EXPECT_EQ(warnings[0], std::make_pair(60, std::string("还有15分钟就要休息了.")));
    EXPECT_EQ(warnings[1], std::make_pair(11 * 60, std::string("还有5分钟就要休息了.")));
    EXPECT_EQ(warnings[2], std::make_pair(15 * 60, std::string("还有1分钟就要休息了.")));
    EXPECT_EQ(shell.config.TimeStyle, 1) << "the rest began";

    Shell none;
    none.config.PlayTime = 3 * kMinute;
    none.rules.WarningMinutes = {};
    none.Start();
    EXPECT_TRUE(none.Run(200).empty()) << "no warning minutes set";

    Shell late; // a shell started with two minutes left warns once, at once
    late.config.CountTime = 58 * kMinute;
    late.Start();
    const auto once = late.Run(61);
    ASSERT_EQ(once.size(), 2u);
    EXPECT_EQ(once[0], std::make_pair(1, std::string("还有2分钟就要休息了.")));
    EXPECT_EQ(once[1].first, 60);
}

TEST(TimeKeeperTest, ScheduleEdges) {
    Shell shell;
    shell.rules.Schedule.Set(0, {{7 * 60, 20 * 60 + 30}}); // Monday
    shell.rules.Schedule.Set(1, {});                       // Tuesday closed
    shell.clock.minute = 20 * 60 + 29;
    shell.Start();
    EXPECT_FALSE(shell.Tick().OutsideSchedule);
    shell.clock.minute = 20 * 60 + 30;
    const int before = shell.config.CountTime;
    EXPECT_TRUE(shell.Tick().OutsideSchedule);
    EXPECT_EQ(shell.config.CountTime, before) << "no play time counted outside the hours";

    // The clock set back an hour: still the latest minute seen.
    shell.clock.minute = 19 * 60 + 30;
    EXPECT_TRUE(shell.Tick().OutsideSchedule);
    // Set back a day: the counters and the closed evening stay.
    shell.clock.day = 20261206;
    EXPECT_TRUE(shell.Tick().OutsideSchedule);
    EXPECT_EQ(shell.keeper->Counters().Day, 20261207);
    // The next day is closed all day.
    shell.clock.day = 20261208;
    shell.clock.minute = 12 * 60;
    EXPECT_TRUE(shell.Tick().OutsideSchedule);
    // A day without spans set has no limits.
    shell.clock.day = 20261209;
    EXPECT_FALSE(shell.Tick().OutsideSchedule);
}

TEST(TimeKeeperTest, ASpanEndingAtMidnightGoesOnIntoTheNextDay) {
    Shell shell;
    shell.rules.Schedule.Set(5, {{20 * 60, 1440}}); // Saturday
    shell.rules.Schedule.Set(6, {{0, 30}});         // Sunday
    shell.clock.day = 20261212;
    shell.clock.minute = 23 * 60 + 59;
    shell.Start();
    const auto decision = shell.Tick();
    EXPECT_FALSE(decision.OutsideSchedule);
    shell.clock.day = 20261213;
    shell.clock.minute = 0;
    EXPECT_FALSE(shell.Tick().OutsideSchedule);
    shell.clock.minute = 30;
    EXPECT_TRUE(shell.Tick().OutsideSchedule);
}

TEST(TimeKeeperTest, ProgramLimitsCountPerDayAndClose) {
    Shell shell;
    shell.config.PlayTime = 600 * kMinute;
    shell.rules.Apps["game"] = {2, false};
    shell.Start();
    const auto warnings = shell.Run(119, {kGame, kGame}); // two windows count once
    EXPECT_FALSE(shell.keeper->IsUsedUp("game"));
    ASSERT_FALSE(warnings.empty());
    EXPECT_EQ(warnings.front().second, "[Game]今天还能用2分钟.");
    EXPECT_EQ(warnings.back().second, "[Game]今天还能用1分钟.");
    shell.Tick({kGame});
    const auto decision = shell.Tick({kGame});
    EXPECT_EQ(decision.UsedUp, std::vector<std::string>{"game"});
    EXPECT_TRUE(shell.keeper->IsUsedUp("game"));

    // A restart reads the same counters back: still used up.
    Shell restarted;
    restarted.rules = shell.rules;
    restarted.Start(shell.keeper->Counters());
    EXPECT_TRUE(restarted.keeper->IsUsedUp("game"));
    // The next day starts afresh.
    restarted.clock.day = 20261208;
    EXPECT_FALSE(restarted.keeper->IsUsedUp("game"));
    EXPECT_TRUE(restarted.Tick({kGame}).UsedUp.empty());
}

TEST(TimeKeeperTest, LearningProgramsCountOnlyBesideAGame) {
    Shell shell;
    shell.rules.Apps["typing"] = {-1, true};
    shell.Start();
    shell.Run(30, {kTyping});
    EXPECT_EQ(shell.config.CountTime, 0) << "a learning program alone uses no play time";
    EXPECT_EQ(shell.keeper->Counters().AppMs.at("typing"), 30000) << "its own time is still counted";
    shell.Run(30, {kTyping, kGame});
    EXPECT_EQ(shell.config.CountTime, 30000) << "beside a game the time counts";
    shell.Run(30);
    EXPECT_EQ(shell.config.CountTime, 60000) << "the bare desktop counts as before";
}

TEST(TimeKeeperTest, ExtraTimeHoldsTheRestOffAndRunsDown) {
    Shell shell;
    shell.config.PlayTime = 2 * kMinute;
    shell.Start();
    shell.Run(60);
    shell.keeper->Grant(2);
    shell.Run(60);
    EXPECT_EQ(shell.config.TimeStyle, 0);
    EXPECT_EQ(shell.keeper->Counters().ExtraMs, 2 * kMinute - 1000) << "the play time is up: extra time runs";
    const auto warnings = shell.Run(2 * 60 - 2);
    EXPECT_EQ(shell.config.TimeStyle, 0);
    EXPECT_GT(shell.keeper->Counters().ExtraMs, 0);
    ASSERT_FALSE(warnings.empty());
    EXPECT_EQ(warnings.back().second, "延长的时间还剩1分钟.");
    shell.Run(2);
    EXPECT_EQ(shell.keeper->Counters().ExtraMs, 0);
    EXPECT_EQ(shell.config.TimeStyle, 1) << "the rest comes when the extra time is used";

    // Extra time granted late in the evening lets the child go on past the
    // schedule, but ends with the day.
    Shell evening;
    evening.rules.Schedule.Set(0, {{0, 20 * 60}});
    evening.clock.minute = 20 * 60;
    evening.Start();
    EXPECT_TRUE(evening.Tick().OutsideSchedule);
    evening.keeper->Grant(15);
    EXPECT_FALSE(evening.Tick().OutsideSchedule);
    evening.clock.day = 20261208;
    evening.clock.minute = 0;
    evening.Tick();
    EXPECT_EQ(evening.keeper->Counters().ExtraMs, 0);
}

TEST(TimeKeeperTest, ACountAtTheEndOfItsRangeEndsThePeriod) {
    Shell shell;
    shell.config.CountTime = 2147483000; // wraps past the largest count on this tick
    shell.Start();
    shell.Tick();
    EXPECT_EQ(shell.config.TimeStyle, 1);
}

TEST(TimeKeeperTest, CountsTheMonotonicClockNotTheTicks) {
    Shell shell;
    shell.Start();
    shell.clock.ms += 4000; // a late tick on a busy machine
    shell.Tick({kGame});
    EXPECT_EQ(shell.keeper->Counters().AppMs.at("game"), 5000);
    shell.clock.ms += 3600000; // never more than a minute at once
    shell.Tick({kGame});
    EXPECT_EQ(shell.keeper->Counters().AppMs.at("game"), 5000 + 60000);
}
