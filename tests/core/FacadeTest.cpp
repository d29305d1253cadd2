#include "InstallationFolder.h"

#include "core/CDBRecordset.h"

#include <cstring>

namespace {

using FacadeTest = InstallationFolder;

TEST_F(FacadeTest, GetInitAndFreeFollowTheStartUpSequence) {
    CWarrowCoreInterface* core = CWarrowCoreInterface::Get();
    EXPECT_EQ(CWarrowCoreInterface::Get(), core);
    EXPECT_EQ(core->GetWLMng(), nullptr);
    EXPECT_TRUE(core->RegisterMessage(2258, 1)) << "before Init too";

    EXPECT_TRUE(core->Init(kDataBasePath, kDataBasePassword, &Collect));
    ASSERT_NE(core->GetWLMng(), nullptr);
    EXPECT_NE(core->GetWLMng()->Find("WarrowExplorer"), nullptr);
    EXPECT_EQ(core->GetWRControl()->GetConfig().ID, 77);
    EXPECT_EQ(core->GetDBConfig()->GetInfo().ID, -1);
    EXPECT_NE(core->GetVolumeControl(), nullptr);
    EXPECT_GT(core->GetOsInfo().dwMajorVersion, 0u);

    core->LogOut("启动了[%s]. %d", "tux", 42);
    CDBRecordset rs;
    ASSERT_TRUE(Db()->OpenRecordset("SELECT * FROM[AppLog]", rs));
    ASSERT_EQ(rs.Count(), 1);
    std::string content;
    int type = -1;
    rs.GetField("Content", content);
    rs.GetField("Type", type);
    EXPECT_EQ(content, "启动了[tux]. 42");
    EXPECT_EQ(type, 0);
    rs.Close();

    CWarrowCoreInterface::Free();
    CWarrowCoreInterface* fresh = CWarrowCoreInterface::Get();
    EXPECT_EQ(fresh->GetLog(), nullptr);
    EXPECT_EQ(fresh->GetIEMng(), nullptr);
}

TEST_F(FacadeTest, MissingDatabaseLeavesEmptyComponentsAndSaysSo) {
    std::filesystem::remove_all("DataBase");
    CWarrowCoreInterface* core = CWarrowCoreInterface::Get();
    EXPECT_TRUE(core->Init(kDataBasePath, kDataBasePassword, &Collect));
    EXPECT_EQ(std::count(Messages().begin(), Messages().end(), "数据文件读取出错"), 4)
        << "allow-list, web tree, account record and log each report it";
    EXPECT_EQ(core->GetDBConfig()->GetInfo().ID, -1);
    EXPECT_FALSE(core->GetDBConfig()->Save());
    core->LogOut("dropped");
    EXPECT_EQ(core->GetLog()->Size(), 0u);
}

TEST_F(FacadeTest, ExitDropsTheConnectionsButKeepsTheComponents) {
    CWarrowCoreInterface* core = CWarrowCoreInterface::Get();
    core->Init(kDataBasePath, kDataBasePassword, nullptr);
    core->Exit();
    EXPECT_EQ(core->GetWLMng(), nullptr);
    ASSERT_NE(core->GetLog(), nullptr);
    core->LogOut("after exit");
    EXPECT_EQ(core->GetLog()->Size(), 0u);
    EXPECT_FALSE(core->GetIEMng()->Save());
}

TEST(FormatOSInfoTest, NamesWindowsByMajorVersionAndLinuxByDistribution) {
    OSVERSIONINFOA info{};
    info.dwMajorVersion = 5;
    std::strcpy(info.szCSDVersion, "Service Pack 3");
    char text[64] = "untouched";
    EXPECT_FALSE(FormatOSInfo(text, 0, info));
    EXPECT_STREQ(text, "untouched");
    EXPECT_TRUE(FormatOSInfo(text, sizeof text, info));
    EXPECT_STREQ(text, "Winxp Service Pack 3");
    info.dwMajorVersion = 10;
    FormatOSInfo(text, sizeof text, info);
    EXPECT_STREQ(text, "Win98 Service Pack 3");
    char tiny[4];
    FormatOSInfo(tiny, sizeof tiny, info);
    EXPECT_STREQ(tiny, "Win");

    ASSERT_TRUE(platform::GetVersionEx(info));
    FormatOSInfo(text, sizeof text, info);
    EXPECT_EQ(std::string(text).rfind("Linux ", 0), 0u) << text;
}

TEST(ResolveItTest, LaunchersResolveAndOtherFilesLeaveTheLinkAlone) {
    const auto dir = std::filesystem::temp_directory_path() / ("resolve-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string launcher = (dir / "edit.desktop").string();
    std::ofstream(launcher)
        << "[Desktop Entry]\nType=Application\nName=Edit\nExec=sh -c \"echo %%done\" %f\nPath=/srv\n";
    std::ofstream(dir / "plain.txt") << "hello";

    tagLink link{"keep", "keep", "keep", "keep"};
    EXPECT_LT(ResolveIt(0, (dir / "plain.txt").c_str(), link), 0);
    EXPECT_LT(ResolveIt(0, (dir / "missing.desktop").c_str(), link), 0);
    EXPECT_EQ(link.Target, "keep");

    ASSERT_GE(ResolveIt(0, launcher.c_str(), link), 0);
    EXPECT_EQ(link.WorkingDirectory, "/srv");
    EXPECT_EQ(link.Target.substr(link.Target.rfind('/')), "/sh");
    EXPECT_EQ(link.Arguments, "-c \"echo %done\"");
    EXPECT_EQ(link.Reserved, "");
    std::filesystem::remove_all(dir);
}

} // namespace
