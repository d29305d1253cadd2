#include "report/ReportCommandLine.h"
#include "report/ReportConnection.h"

#include <gtest/gtest.h>

namespace {

using report::JoinWithBlanks;
using report::ParseReportCommandLine;

TEST(CommandLineTest, BracesGiveProgramAndLogNameExactly) {
    const auto args = ParseReportCommandLine("{WarrowTray}{crash[2026-03-05( 08.07.09 )].Txt}");
    EXPECT_EQ(args.strProgram, "WarrowTray");
    EXPECT_EQ(args.strLogFile, "crash[2026-03-05( 08.07.09 )].Txt");

    // The same values split at their blanks into several words, or in two words.
    const char* split[] = {"WarrowReport", "{WarrowTray}{crash[2026-03-05(", "08.07.09", ")].Txt}"};
    EXPECT_EQ(ParseReportCommandLine(JoinWithBlanks(4, split)).strLogFile,
              "crash[2026-03-05( 08.07.09 )].Txt");
    const char* two[] = {"WarrowReport", "{Warrow}", "{crash.Txt}"};
    const auto apart = ParseReportCommandLine(JoinWithBlanks(3, two));
    EXPECT_EQ(apart.strProgram, "Warrow");
    EXPECT_EQ(apart.strLogFile, "crash.Txt");
}

TEST(CommandLineTest, MissingBracesLeaveValuesEmpty) {
    for (const char* line : {"", "WarrowTray crash.Txt", "}{", "{WarrowTray"}) {
        const auto args = ParseReportCommandLine(line);
        EXPECT_EQ(args.strProgram, "") << line;
        EXPECT_EQ(args.strLogFile, "") << line;
    }
    const auto noLog = ParseReportCommandLine("x {Warrow} y {crash.Txt");
    EXPECT_EQ(noLog.strProgram, "Warrow");
    EXPECT_EQ(noLog.strLogFile, "");
    EXPECT_EQ(ParseReportCommandLine("{}{}").strProgram, "");
    EXPECT_EQ(ParseReportCommandLine("{a{b}{c}").strProgram, "a{b")
        << "the first '{' opens, the next '}' closes";
}

TEST(CommandLineTest, PortIsFixedUnlessAValidOverrideIsGiven) {
    EXPECT_EQ(report::ReportPort(nullptr), 18010);
    EXPECT_EQ(report::ReportPort("40123"), 40123);
    for (const char* bad : {"", "0", "65536", "80x", " 80", "-1", "99999999999"})
        EXPECT_EQ(report::ReportPort(bad), 18010) << bad;
}

} // namespace
