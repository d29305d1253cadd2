#include "service/ChildAccounts.h"
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

} // namespace
