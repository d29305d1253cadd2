#include "core/ChildAccounts.h"
#include "service/ChildRequests.h"
#include "service/StyleRequestPolicy.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

TEST(StyleRequestPolicyTest, RootAndTheSeatUserMayAChildOnlyForItsShell) {
    const std::optional<uid_t> seat = 1000;
    EXPECT_EQ(JudgeStyleRequest(0, 1, std::nullopt, false), StyleVerdict::Allowed);
    EXPECT_EQ(JudgeStyleRequest(0, 1, seat, true), StyleVerdict::Allowed)
        << "root may hand over to the parent";
    EXPECT_EQ(JudgeStyleRequest(1000, 1, seat, false), StyleVerdict::Allowed);
    EXPECT_EQ(JudgeStyleRequest(1001, 0, seat, false), StyleVerdict::NotSeatUser);
    EXPECT_EQ(JudgeStyleRequest(1000, 0, std::nullopt, false), StyleVerdict::NotSeatUser)
        << "nobody at the computer: only root";
    EXPECT_EQ(JudgeStyleRequest(static_cast<uid_t>(-1), 0, seat, false), StyleVerdict::NotSeatUser)
        << "a datagram without credentials";
    EXPECT_EQ(JudgeStyleRequest(1000, 0, seat, true), StyleVerdict::Allowed);
    EXPECT_EQ(JudgeStyleRequest(1000, 1, seat, true), StyleVerdict::ChildAskedForConsole);
    EXPECT_EQ(JudgeStyleRequest(1000, 7, seat, true), StyleVerdict::ChildAskedForConsole);
}

TEST(ChildAccountsTest, MarksAreKeptInTheSettingsWithoutDuplicatesOrInjection) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("child-accounts-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string config = (dir / "Config.ini").string();
    std::ofstream(config) << "[System]\nID=1\n";
    EXPECT_TRUE(child_accounts::List(config).empty());
    EXPECT_TRUE(child_accounts::Mark(config, "kid", true));
    EXPECT_TRUE(child_accounts::Mark(config, "teen", true));
    EXPECT_TRUE(child_accounts::Mark(config, "kid", true));
    EXPECT_EQ(child_accounts::List(config), (std::vector<std::string>{"teen", "kid"}));
    EXPECT_FALSE(child_accounts::Mark(config, "a,b", true));
    EXPECT_FALSE(child_accounts::Mark(config, "a\n[System]", true));
    EXPECT_FALSE(child_accounts::Contains(config, "kid2"));
    EXPECT_TRUE(child_accounts::Mark(config, "kid", false));
    EXPECT_EQ(child_accounts::List(config), std::vector<std::string>{"teen"});
    EXPECT_FALSE(child_accounts::Mark((dir / "missing.ini").string(), "kid", true));
    std::filesystem::remove_all(dir);
}

tagStoredTime Stored(int style, std::int64_t count, int day = 20261207, int minute = 600,
                     std::map<std::string, std::int64_t> apps = {}, std::int64_t extra = 0) {
    tagStoredTime t;
    t.TimeStyle = style;
    t.CountTime = count;
    t.Daily.Day = day;
    t.Daily.Minute = minute;
    t.Daily.AppMs = std::move(apps);
    t.Daily.ExtraMs = extra;
    return t;
}

TEST(ChildRequestsTest, AStoreMayDoOnlyWhatTheShellCouldHaveDone) {
    constexpr std::int64_t rest = 1800000;
    constexpr int today = 20261207;
    auto judge = [](const tagStoredTime& before, const tagStoredTime& after, std::int64_t elapsed,
                    std::int64_t allowance = 0) {
        return JudgeTimeStore(before, after, rest, elapsed, today, allowance);
    };
    EXPECT_EQ(judge(Stored(0, 60000), Stored(0, 61000), 1000), StoreVerdict::Accepted);
    EXPECT_EQ(judge(Stored(0, 60000), Stored(0, 0), 1000), StoreVerdict::CountBackwards);
    EXPECT_EQ(judge(Stored(1, 60000), Stored(1, 600000), 1000), StoreVerdict::CountTooFast)
        << "a rest cut short";
    EXPECT_EQ(judge(Stored(0, 7199000), Stored(1, 0), 1000), StoreVerdict::Accepted)
        << "play ends, rest begins";
    EXPECT_EQ(judge(Stored(0, 60000), Stored(1, 0), 1000), StoreVerdict::Accepted)
        << "ending play early costs the child";
    EXPECT_EQ(judge(Stored(1, 1799000), Stored(0, 0), 1000), StoreVerdict::Accepted) << "the rest is over";
    EXPECT_EQ(judge(Stored(1, 60000), Stored(0, 0), 1000), StoreVerdict::RestCutShort);
    EXPECT_EQ(judge(Stored(1, 60000), Stored(0, 0), rest), StoreVerdict::Accepted)
        << "the service was away a while";
    // The day's usage.
    EXPECT_EQ(judge(Stored(0, 0, today, 600), Stored(0, 0, today, 500), 0), StoreVerdict::UsageLowered);
    EXPECT_EQ(
        judge(Stored(0, 0, today, 600, {{"game", 5000}}), Stored(0, 0, today, 600, {{"game", 4000}}), 0),
        StoreVerdict::UsageLowered);
    EXPECT_EQ(judge(Stored(0, 0, today, 600, {{"game", 5000}}), Stored(0, 0, today, 600), 0),
              StoreVerdict::UsageLowered)
        << "a program's time dropped from the list";
    EXPECT_EQ(judge(Stored(0, 0, today - 1, 1400, {{"game", 5000}}), Stored(0, 0, today, 0), 0),
              StoreVerdict::Accepted)
        << "a new day starts from nothing";
    EXPECT_EQ(judge(Stored(0, 0, today, 600, {{"game", 5000}}), Stored(0, 0, today + 1, 0), 0),
              StoreVerdict::DayAhead);
    EXPECT_EQ(judge(Stored(0, 0, today, 600), Stored(0, 0, today - 1, 600), 0), StoreVerdict::UsageLowered);
    // Extra time: spent freely, raised only by a grant.
    EXPECT_EQ(judge(Stored(0, 0, today, 600, {}, 900000), Stored(0, 0, today, 600, {}, 899000), 1000),
              StoreVerdict::Accepted);
    EXPECT_EQ(judge(Stored(0, 0, today, 600, {}, 0), Stored(0, 0, today, 600, {}, 900000), 1000),
              StoreVerdict::ExtraRaised);
    EXPECT_EQ(judge(Stored(0, 0, today, 600, {}, 0), Stored(0, 0, today, 600, {}, 900000), 1000, 3600000),
              StoreVerdict::Accepted);
    EXPECT_EQ(judge(Stored(0, 0, today - 1, 600, {}, 900000), Stored(0, 0, today, 0, {}, 900000), 1000),
              StoreVerdict::ExtraRaised)
        << "yesterday's extra time ends with the day";
}

TEST(ChildRequestsTest, OnlyTheShellsCountersAndPlainLinesAreTaken) {
    tagStoredTime stored;
    std::vector<ltl::CIni::Entry> entries;
    const std::string store = "Time/TimeStyle=1\nTime/CountTime=5000\nUsage/Day=20261207\nUsage/Minute=61\n"
                              "Usage/Extra=0\nUsage/Apps=game:3000";
    ASSERT_TRUE(ParseTimeStore(store, stored, entries));
    EXPECT_EQ(stored.TimeStyle, 1);
    EXPECT_EQ(stored.CountTime, 5000);
    EXPECT_EQ(stored.Daily.AppMs.at("game"), 3000);
    EXPECT_EQ(entries.size(), 6u);
    for (const auto& entry : entries) {
        EXPECT_TRUE(entry.section == "Time" || entry.section == "Usage") << entry.section;
    }
    EXPECT_FALSE(ParseTimeStore(store + "\nTime/PlayTime=99999999", stored, entries)) << "another key";
    EXPECT_FALSE(ParseTimeStore(store + "\nTime/CountTime=1", stored, entries)) << "a key twice";
    EXPECT_FALSE(ParseTimeStore("Time/TimeStyle=1\nTime/CountTime=5000", stored, entries)) << "keys missing";
    EXPECT_FALSE(ParseTimeStore("Time/TimeStyle=2\nTime/CountTime=5000\nUsage/Day=0\nUsage/Minute=0\n"
                                "Usage/Extra=0\nUsage/Apps=",
                                stored, entries));
    EXPECT_FALSE(ParseTimeStore("Time/TimeStyle=0\nTime/CountTime=-5\nUsage/Day=0\nUsage/Minute=0\n"
                                "Usage/Extra=0\nUsage/Apps=",
                                stored, entries));
    EXPECT_TRUE(IsStorableLogLine("启动了[游戏]."));
    EXPECT_FALSE(IsStorableLogLine(""));
    EXPECT_FALSE(IsStorableLogLine("line\n2026-01-01 forged"));
    EXPECT_FALSE(IsStorableLogLine(std::string(513, 'a')));
    EXPECT_TRUE(MayAskForChild(0, std::nullopt, false));
    EXPECT_TRUE(MayAskForChild(1001, 1001u, true));
    EXPECT_FALSE(MayAskForChild(1001, 1001u, false)) << "a parent's account writes its files itself";
    EXPECT_FALSE(MayAskForChild(1002, 1001u, true));
}

} // namespace
