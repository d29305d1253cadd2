#include "InstallationFolder.h"

#include "ltl/CIni.h"
#include "platform/Paths.h"
#include "tests/support/Wait.h"

#include <chrono>
#include <sys/stat.h>

namespace {

using WarrowControlTest = InstallationFolder;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST_F(WarrowControlTest, AFileWithOnlyTheServiceIdGetsTheTimeDefaults) {
    WriteConfig("[System]\nID=5\n");
    CWarrowControl control;
    ASSERT_TRUE(control.Load());
    const tagConfig& c = control.GetConfig();
    EXPECT_EQ(c.ID, 5);
    EXPECT_EQ(c.PlayTime, 7200000);
    EXPECT_EQ(c.RestTime, 1800000);
    EXPECT_EQ(c.TimeStyle, 0);
    EXPECT_EQ(c.CountTime, 7200000);
    EXPECT_EQ(c.Version, 0u);
    ltl::CIni ini(false, 99, "", "Config.ini");
    EXPECT_EQ(ini.GetInt("Setup", "IsAutoStart"), -1);
    EXPECT_EQ(ini.GetInt("Setup", "StartStyle"), -1);
    EXPECT_EQ(ini.GetInt("Time", "PlayTime"), 7200000);
    EXPECT_EQ(ini.GetInt("Time", "CountTime"), 7200000);
}

TEST_F(WarrowControlTest, MissingFileOrServiceIdFailsWithTheirTexts) {
    WriteConfig("[Setup]\nIsAutoStart=1\n");
    std::vector<std::string> reported;
    static std::vector<std::string>* sink;
    sink = &reported;
    core::SetErrorReporter([](const char* m) { sink->emplace_back(m); });
    CWarrowControl control;
    EXPECT_FALSE(control.Load());
    EXPECT_EQ(control.GetConfig().IsAutoStart, 0) << "nothing else is read";

    std::filesystem::remove("Config.ini");
    EXPECT_FALSE(control.Load());
    control.Save();
    EXPECT_FALSE(std::filesystem::exists("Config.ini")) << "saving never creates the file";
    core::SetErrorReporter(nullptr);
    EXPECT_EQ(reported,
              (std::vector<std::string>{"读取THREADID错误", "读取配置文件失败", "保存配置文件失败"}));
}

TEST_F(WarrowControlTest, VersionsPackHighestPartFirst) {
    WriteConfig("[System]\nID=1\n[Version]\nVer=1_2_3_4\n");
    CWarrowControl control;
    ASSERT_TRUE(control.Load());
    EXPECT_EQ(control.GetConfig().Version, (1ull << 48) + (2ull << 32) + (3ull << 16) + 4);
    EXPECT_EQ(CWarrowControl::FormatVersion(control.GetConfig().Version), "1_2_3_4");
    EXPECT_EQ(CWarrowControl::ParseVersion("65537_0_0_1"), (1ull << 48) + 1) << "each part keeps 16 bits";
    EXPECT_EQ(CWarrowControl::ParseVersion("2_5"), (2ull << 48) + (5ull << 32));
    EXPECT_LT(CWarrowControl::ParseVersion("1_9_9_9"), CWarrowControl::ParseVersion("2_0_0_0"));
}

TEST_F(WarrowControlTest, SaveTimeWritesOnlyTheCountingKeys) {
    CWarrowControl control;
    ASSERT_TRUE(control.Load());
    control.GetConfig().PlayTime = 3000;
    control.GetConfig().TimeStyle = 1;
    control.GetConfig().CountTime = 2000;
    control.SaveTime();
    ltl::CIni ini(false, -1, "", "Config.ini");
    EXPECT_EQ(ini.GetInt("Time", "PlayTime"), 7200000);
    EXPECT_EQ(ini.GetInt("Time", "TimeStyle"), 1);
    EXPECT_EQ(ini.GetInt("Time", "CountTime"), 2000);
    control.Save();
    EXPECT_EQ(ini.GetInt("Time", "PlayTime"), 3000);
    EXPECT_EQ(ini.GetInt("System", "ID"), 77) << "the service's key is left alone";
}

TEST_F(WarrowControlTest, ChangeStyleStartsTheOtherProgramInTheProgramFolder) {
    // A stand-in console beside this test program records where it ran.
    const std::string folder = platform::ProgramDirectory();
    const std::string standIn = folder + "/WarrowTray";
    const std::string marker = (m_folder / "started").string();
    std::ofstream(standIn) << "#!/bin/sh\npwd > \"$WARROW_TEST_MARKER.tmp\" && mv "
                              "\"$WARROW_TEST_MARKER.tmp\" \"$WARROW_TEST_MARKER\"\n";
    ::chmod(standIn.c_str(), 0755);
    ::setenv("WARROW_TEST_MARKER", marker.c_str(), 1);

    CWarrowControl().ChangeStyle(STYLE_PARENT);
    EXPECT_EQ(platform::CurrentDirectory(), folder);
    EXPECT_TRUE(testwait::ForFile(marker));
    std::filesystem::remove(standIn);
    EXPECT_EQ(ReadFile(marker), folder + "\n");
    EXPECT_STREQ(ProgramForStyle(STYLE_CHILD), "Warrow");
    EXPECT_STREQ(ProgramForStyle(7), "WarrowTray");
}

} // namespace
