// What the updater decides from texts alone: its command line, which
// version to install, and which names from a server it accepts.
#include "update/SafeNames.h"
#include "update/Sha256.h"
#include "update/UpdateCommandLine.h"
#include "update/VersionList.h"
#include "update/VersionNumber.h"

#include <gtest/gtest.h>

namespace {

using namespace update;

std::uint64_t V(const char* text) {
    std::uint64_t version = 0;
    EXPECT_EQ(ReadVersion(text, version), 4) << text;
    return version;
}

VersionMap Offered(std::initializer_list<const char*> sections) {
    VersionMap versions;
    for (const char* section : sections)
        versions.emplace(V(section), section);
    return versions;
}

TEST(UpdateCommandLineTest, ReadsTheProgramTheVersionAndTheBackgroundFlag) {
    auto args = ParseUpdateCommandLine("[Warrow.exe][1_0_0_1] -b");
    ASSERT_TRUE(args);
    EXPECT_EQ(args->strBaseName, "Warrow") << "the version list requested is Warrow.ini";
    EXPECT_EQ(args->nVersion, PackVersion(1, 0, 0, 1));
    EXPECT_TRUE(args->bBackground);

    args = ParseUpdateCommandLine("[Warrow][1_2_3_4]");
    ASSERT_TRUE(args);
    EXPECT_EQ(args->strBaseName, "Warrow");
    EXPECT_EQ(args->nVersion, (1ull << 48) + (2ull << 32) + (3ull << 16) + 4);
    EXPECT_FALSE(args->bBackground);

    const char* argv[] = {"WarrowUpdate", "-b", "[Warrow.tar.gz][65537_0_0_2]"};
    args = ParseUpdateCommandLine(JoinArguments(3, argv));
    ASSERT_TRUE(args);
    EXPECT_EQ(args->strBaseName, "Warrow") << "the name ends at its first dot";
    EXPECT_EQ(args->nVersion, PackVersion(1, 0, 0, 2)) << "each part keeps 16 bits";
    EXPECT_TRUE(args->bBackground);
}

TEST(UpdateCommandLineTest, RefusesLinesWithoutBothValuesAndNamesThatAreNotPlainFiles) {
    for (const char* line : {"", "Warrow 1_0_0_1", "[Warrow.exe]", "[Warrow.exe][1_0_0_1",
                             "[Warrow.exe 1_0_0_1]", "[][1_0_0_1]", "[../Config][1_0_0_1]",
                             "[/tmp/x][1_0_0_1]", "[a/b][1_0_0_1]", "[..\\Config][1_0_0_1]", "[.][1_0_0_1]"})
        EXPECT_FALSE(ParseUpdateCommandLine(line)) << line;
}

TEST(FindNewerVersionTest, PrefersTheLowestVersionOfANewerMinorLine) {
    EXPECT_EQ(FindNewerVersion(Offered({"1_0_0_6", "1_1_0_0"}), V("1_0_0_5")), "1_1_0_0");
    EXPECT_EQ(FindNewerVersion(Offered({"1_0_0_6", "1_1_0_0", "1_1_0_3", "1_2_0_0"}), V("1_0_0_5")),
              "1_1_0_0");
    EXPECT_EQ(FindNewerVersion(Offered({"1_0_0_6", "1_0_0_7"}), V("1_0_0_5")), "1_0_0_6");
    EXPECT_EQ(FindNewerVersion(Offered({"1_3_0_0", "2_0_0_0"}), V("1_3_0_0")), "2_0_0_0");
}

TEST(FindNewerVersionTest, NeverOffersTheInstalledOrAnOlderVersion) {
    EXPECT_EQ(FindNewerVersion(Offered({"1_1_9_9"}), V("1_2_0_0")), std::nullopt);
    EXPECT_EQ(FindNewerVersion(Offered({"1_2_0_0"}), V("1_2_0_0")), std::nullopt);
    EXPECT_EQ(FindNewerVersion({}, V("1_2_0_0")), std::nullopt);
    // A higher second number on an older line is a step back.
    EXPECT_EQ(FindNewerVersion(Offered({"1_5_0_0"}), V("2_0_0_0")), std::nullopt);
    EXPECT_EQ(FindNewerVersion(Offered({"1_5_0_0", "2_0_0_1"}), V("2_0_0_0")), "2_0_0_1");
}

TEST(SafeNamesTest, PathsFromTheServerStayInTheirFolder) {
    for (const char* good : {"warrow.deb", "Update/warrow_1.1.0.deb", "pkg/1.1/warrow.deb", "a b.deb"})
        EXPECT_TRUE(IsSafeRelativePath(good)) << good;
    for (std::string_view bad :
         {std::string_view(""), std::string_view("/etc/passwd"), std::string_view("../warrow.deb"),
          std::string_view("Update/../../x"), std::string_view("Update/.."), std::string_view("a\\b.deb"),
          std::string_view("..\\x"), std::string_view("a\0b", 3), std::string_view("a\nb")})
        EXPECT_FALSE(IsSafeRelativePath(bad)) << bad;
}

TEST(SafeNamesTest, ThePackageKeepsTheLastPartOfItsServerPath) {
    EXPECT_EQ(PackageFileName("warrow_1.1.0.deb"), "warrow_1.1.0.deb");
    EXPECT_EQ(PackageFileName("releases/1.1/warrow_1.1.0.deb"), "warrow_1.1.0.deb");
    EXPECT_EQ(PackageFileName("get/warrow.deb?mirror=2#top"), "warrow.deb");
    for (const char* bad :
         {"releases/", "releases/.", "../warrow.deb", "/warrow.deb", "a\\warrow.deb", "?x=1"})
        EXPECT_EQ(PackageFileName(bad), "") << bad;
}

TEST(Sha256Test, DigestsAStreamAndComparesDigestsAsTheyArePublished) {
    Sha256 whole;
    whole.Add("abc", 3);
    const std::string abc = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    EXPECT_EQ(whole.HexDigest(), abc);
    Sha256 parts;
    parts.Add("a", 1);
    parts.Add("", 0);
    parts.Add("bc", 2);
    EXPECT_EQ(parts.HexDigest(), abc);

    EXPECT_TRUE(SameDigest(abc, " BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD\r\n"));
    EXPECT_FALSE(SameDigest(abc, abc.substr(0, 63)));
    EXPECT_FALSE(SameDigest(abc, abc.substr(0, 63) + "e"));
    EXPECT_FALSE(SameDigest(abc, ""));
}

} // namespace
