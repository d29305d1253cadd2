#include "platform/DesktopEntry.h"
#include "platform/CommandLine.h"

#include <gtest/gtest.h>

namespace {

using Words = std::vector<std::string>;

TEST(DesktopEntryTest, ExecSplitsQuotedWordsAndDropsFieldCodes) {
    EXPECT_EQ(platform::SplitExec("game --full %U"), (Words{"game", "--full"}));
    EXPECT_EQ(platform::SplitExec("\"/opt/My Game/run\" \"a \\\"b\\\"\" 100%%"),
              (Words{"/opt/My Game/run", "a \"b\"", "100%"}));
    EXPECT_EQ(platform::SplitExec("run --file=%f"), (Words{"run", "--file="}));
    EXPECT_EQ(platform::SplitExec("\"unclosed"), Words{});
    const Words words{"a b", "c\"d", "$x", "plain"};
    EXPECT_EQ(platform::SplitExec(platform::QuoteArguments(words)), words);
    // Stored arguments are split again by the shell's rules when a program starts.
    const Words lines{"two\nlines", "tab\there", "it's", ""};
    EXPECT_EQ(platform::SplitCommandLine(platform::QuoteArguments(lines)), lines);
}

TEST(DesktopEntryTest, OnlyApplicationEntriesWithAnExecLineCount) {
    auto entry = platform::ParseDesktopEntry(
        "# comment\n[Desktop Entry]\nType=Application\nName=Paint\nName[zh_CN]=画图\nExec=paint %F\n"
        "Icon=paint\nNoDisplay=true\n[Desktop Action New]\nExec=other\n");
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->name, "画图");
    EXPECT_EQ(entry->command, (Words{"paint"}));
    EXPECT_EQ(entry->icon, "paint");
    EXPECT_TRUE(entry->noDisplay);
    EXPECT_FALSE(platform::ParseDesktopEntry("[Desktop Entry]\nType=Link\nURL=http://x\n").has_value());
    EXPECT_FALSE(platform::ParseDesktopEntry("[Desktop Entry]\nType=Application\n").has_value());
    EXPECT_FALSE(platform::ParseDesktopEntry("Type=Application\nExec=x\n").has_value());
}

} // namespace
