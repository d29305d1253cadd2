// The updater's own files: the server list it reads, the version list a
// server sends, and the log it writes in background mode.
#include "tests/update/UpdateTestFolder.h"
#include "update/ServerList.h"
#include "update/UpdateLog.h"
#include "update/VersionList.h"
#include "update/VersionNumber.h"

#include <regex>

namespace {

using namespace update;

using ServerListTest = UpdateTestFolder;
using VersionListFileTest = UpdateTestFolder;
using UpdateLogTest = UpdateTestFolder;

TEST_F(ServerListTest, KeepsWebServersWithAnAddressInFileOrder) {
    const std::string tooLong = "http://example.org/" + std::string(kMaxAddressLength, 'a') + "/";
    WriteFile("Update.ini", "[电信]\nAddress=http://update.example.org/warrow/\n"
                            "[NoAddress]\nName=x\n"
                            "[Local file]\nAddress=file:///etc/\n"
                            "[Too long]\nAddress=" +
                                tooLong +
                                "\n"
                                "[Secure]\nAddress=HTTPS://mirror.example.net/\n");
    std::vector<tagServer> servers;
    ASSERT_TRUE(LoadServerList("Update.ini", servers));
    ASSERT_EQ(servers.size(), 2u);
    EXPECT_EQ(servers[0].strName, "电信");
    EXPECT_EQ(servers[0].strAddress, "http://update.example.org/warrow/");
    EXPECT_EQ(servers[0].nTime, kNoAnswer);
    EXPECT_EQ(servers[1].strName, "Secure");
}

TEST_F(ServerListTest, FailsWithoutAFileOrWithoutSections) {
    std::vector<tagServer> servers;
    EXPECT_FALSE(LoadServerList("Update.ini", servers));
    WriteFile("Update.ini", "; no servers yet\n");
    EXPECT_FALSE(LoadServerList("Update.ini", servers));
    WriteFile("Update.ini", "[Empty]\n");
    EXPECT_TRUE(LoadServerList("Update.ini", servers))
        << "sections without Address are skipped, not an error";
    EXPECT_TRUE(servers.empty());
}

TEST(PickFastestServerTest, TakesTheShortestAnsweredTimeAndTheFirstOnTies) {
    std::vector<tagServer> servers{
        {"a", "http://a/", 120}, {"b", "http://b/", 80}, {"c", "http://c/", kNoAnswer}};
    EXPECT_EQ(PickFastestServer(servers), 1u);
    servers.push_back({"d", "http://d/", 80});
    EXPECT_EQ(PickFastestServer(servers), 1u);
    EXPECT_EQ(PickFastestServer({{"c", "http://c/", kNoAnswer}}), std::nullopt);
    EXPECT_EQ(PickFastestServer({}), std::nullopt);
}

TEST_F(VersionListFileTest, ReadsVersionSectionsAndTheirKeys) {
    WriteFile("Warrow.ini", "[notes]\nFile=readme.txt\n"
                            "[2]\nFile=two.deb\n"
                            "[1_1_0_0]\nFile=warrow_1.1.0.deb\nRun=Update/warrow_1.1.0.deb\nSha256=AB12\n"
                            "[1_0_0_6]\nFile=warrow_1.0.6.deb\n"
                            "[1_1_0_00]\nFile=duplicate.deb\n");
    VersionMap versions{{1, "stale"}};
    ASSERT_TRUE(LoadVersions("Warrow.ini", versions));
    ASSERT_EQ(versions.size(), 2u) << "only whole versions count, the first of a duplicate wins";
    EXPECT_EQ(versions.begin()->second, "1_0_0_6");
    EXPECT_EQ(versions.rbegin()->second, "1_1_0_0");
    EXPECT_EQ(FindNewerVersion(versions, PackVersion(1, 0, 0, 5)), "1_1_0_0");

    const tagPackageEntry entry = ReadPackageEntry("Warrow.ini", "1_1_0_0");
    EXPECT_EQ(entry.strFile, "warrow_1.1.0.deb");
    EXPECT_EQ(entry.strRun, "Update/warrow_1.1.0.deb");
    EXPECT_EQ(entry.strSha256, "AB12");
    EXPECT_EQ(ReadPackageEntry("Warrow.ini", "1_0_0_6").strRun, "");
    EXPECT_EQ(ReadPackageEntry("Warrow.ini", "9_9_9_9").strFile, "");
    EXPECT_FALSE(LoadVersions("Missing.ini", versions));
}

TEST_F(UpdateLogTest, WritesStampedLinesOnlyInBackgroundMode) {
    WriteLog(false, "%s", kLogFinished);
    EXPECT_FALSE(std::filesystem::exists(kLogFolder)) << "nothing at all without the background flag";

    WriteLog(true, kLogStarted, "warrow_1.1.0.deb");
    WriteLog(true, "%s", kLogFinished);
    const auto lines = Lines(ReadFile(kLogPath));
    ASSERT_EQ(lines.size(), 2u);
    const std::regex stamp(R"(\[\d{4}-\d{2}-\d{2}\]\[\d{2}:\d{2}:\d{2}\](.*))");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(lines[0], match, stamp)) << lines[0];
    EXPECT_EQ(match[1], "更新[warrow_1.1.0.deb]开始");
    ASSERT_TRUE(std::regex_match(lines[1], match, stamp)) << lines[1];
    EXPECT_EQ(match[1], "更新完成!");
}

TEST_F(UpdateLogTest, FormatsTheDateAndCutsLongMessagesAtACharacter) {
    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 2;
    when.tm_mday = 5;
    when.tm_hour = 8;
    when.tm_min = 7;
    when.tm_sec = 9;
    EXPECT_EQ(FormatLogLine(when, "更新完成!"), "[2026-03-05][08:07:09]更新完成!\n");

    // Two bytes and three-byte characters: 511 bytes would end inside the
    // 170th character, which goes whole.
    std::string message = "xx";
    for (int i = 0; i < 200; ++i)
        message += "更";
    const std::string line = FormatLogLine(when, message);
    const std::string text = line.substr(22, line.size() - 23);
    EXPECT_EQ(text, message.substr(0, 2 + 3 * 169));
    EXPECT_EQ(line.back(), '\n');
}

} // namespace
