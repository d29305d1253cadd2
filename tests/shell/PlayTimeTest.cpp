#include "shell/PlayTime.h"
#include "core/CWarrowControl.h"
#include "core/CWarrowDBConfig.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

tagConfig Times(int play, int rest, int style, int count) {
    tagConfig config;
    config.PlayTime = play;
    config.RestTime = rest;
    config.TimeStyle = style;
    config.CountTime = count;
    return config;
}

// The view changes over `ticks` seconds, as "P"/"R" per switch and "." otherwise.
std::string Ticks(tagConfig& config, int ticks) {
    std::string trace;
    for (int i = 0; i < ticks; ++i) {
        const auto view = TickPlayTime(config);
        trace += !view ? '.' : (*view == enShellView::Rest ? 'R' : 'P');
    }
    return trace;
}

TEST(PlayTimeTest, PlayAndRestAlternateOnTheTickThatReachesTheirLength) {
    tagConfig config = Times(3000, 2000, 0, 0);
    EXPECT_EQ(Ticks(config, 3), "..R");
    EXPECT_EQ(config.TimeStyle, 1);
    EXPECT_EQ(config.CountTime, 0) << "a new period starts with an empty count";
    EXPECT_EQ(Ticks(config, 2), ".P");
    EXPECT_EQ(Ticks(config, 6), "..R.P.");
}

TEST(PlayTimeTest, EdgeValuesOfTheStoredTimes) {
    tagConfig defaults; // a fresh installation's count starts used up
    EXPECT_EQ(Ticks(defaults, 1), "R");
    tagConfig noPlay = Times(0, 2000, 0, 0);
    EXPECT_EQ(Ticks(noPlay, 1), "R");
    tagConfig negative = Times(7200000, 1800000, 0, -5000);
    EXPECT_EQ(Ticks(negative, 1), "R") << "a negative count is a huge unsigned one";
    tagConfig noPhase = Times(1000, 1000, 2, 0);
    EXPECT_EQ(Ticks(noPhase, 5), ".....");
    EXPECT_EQ(noPhase.CountTime, 5000);
    tagConfig resumed = Times(3000, 1800000, 1, 600000); // 10 minutes into a 30-minute rest
    EXPECT_EQ(Ticks(resumed, 1199), std::string(1199, '.'));
    EXPECT_EQ(Ticks(resumed, 1), "P");
    EXPECT_EQ(StartView(0), enShellView::Play);
    EXPECT_EQ(StartView(1), enShellView::Rest);
    EXPECT_EQ(StartView(-1), enShellView::None);
}

TEST(PlayTimeTest, RestNoticeCountsDownInMinutes) {
    // Two minutes and five seconds, refreshed every ten seconds.
    std::vector<std::string> texts;
    for (int left = 125000; left > 40000; left -= 10000) {
        texts.push_back(RestNoticeText(left));
    }
    EXPECT_EQ(texts[0], "休息时间剩余：2分钟");
    EXPECT_EQ(texts[1], "休息时间剩余：1分钟");     // 115 s
    EXPECT_EQ(texts[6], "休息时间剩余：1分钟");     // 65 s
    EXPECT_EQ(texts[7], "休息时间剩余：少于1分钟"); // 55 s
    EXPECT_EQ(RestNoticeText(60000), "休息时间剩余：1分钟");
    EXPECT_EQ(RestNoticeText(59999), "休息时间剩余：少于1分钟");
}

TEST(PlayTimeTest, ExitPasswordMustMatchExactlyOnceAnAccountExists) {
    tagSystemInfo system;
    EXPECT_TRUE(CheckExitPassword(system, "")) << "no account: anything goes";
    system.ID = 12345;
    system.UserPwd = "Secret";
    EXPECT_TRUE(CheckExitPassword(system, "Secret"));
    EXPECT_FALSE(CheckExitPassword(system, "secret"));
    EXPECT_FALSE(CheckExitPassword(system, "Secret "));
    EXPECT_FALSE(CheckExitPassword(system, ""));
}

} // namespace
