#include "InstallationFolder.h"

#include "core/AppAdder.h"
#include "core/CDBRecordset.h"

#include <sys/stat.h>

namespace {

using TablesTest = InstallationFolder;

tagAppInfo App(const std::string& name, const std::string& path) {
    tagAppInfo info;
    info.AppName = name;
    info.AppPath = path;
    info.Name = name;
    return info;
}

TEST_F(TablesTest, SystemRecordIsInsertedOnceAndRewrittenAfterwards) {
    CWarrowDBConfig config;
    ASSERT_FALSE(config.Init(kDataBasePath, kDataBasePassword)) << "empty table";
    EXPECT_EQ(config.GetInfo().ID, -1);
    config.GetInfo().ID = 123456;
    config.GetInfo().UserPwd = "Pa'ss";
    ASSERT_TRUE(config.Save());
    config.GetInfo().Style = 1;
    ASSERT_TRUE(config.Save());

    CDBRecordset rs;
    ASSERT_TRUE(Db()->OpenRecordset("SELECT * FROM[System]", rs));
    EXPECT_EQ(rs.Count(), 1);

    CWarrowDBConfig reread;
    ASSERT_TRUE(reread.Init(kDataBasePath, kDataBasePassword));
    EXPECT_EQ(reread.GetInfo().ID, 123456);
    EXPECT_EQ(reread.GetInfo().UserPwd, "Pa'ss");
    EXPECT_EQ(reread.GetInfo().Style, 1);
}

TEST_F(TablesTest, AllowListStoresNamesWithQuotesAndPercentSignsExactly) {
    CWriteListMng list;
    ASSERT_TRUE(list.Init(kDataBasePath, kDataBasePassword));
    const std::vector<std::string> names = {"it's", "100%", "say \"hi\"", "[x]", "a' OR '1'='1"};
    for (const auto& name : names) {
        EXPECT_TRUE(list.Add(name.c_str(), App(name, "/opt/" + name + "/"), true));
    }
    list.Del("a' OR '1'='1", true);

    CWriteListMng reread;
    ASSERT_TRUE(reread.Init(kDataBasePath, kDataBasePassword));
    for (std::size_t i = 0; i + 1 < names.size(); ++i) {
        const tagAppInfo* found = reread.Find(names[i].c_str());
        ASSERT_NE(found, nullptr) << names[i];
        EXPECT_EQ(found->AppPath, "/opt/" + names[i] + "/");
    }
    EXPECT_EQ(reread.Find("a' OR '1'='1"), nullptr);
    EXPECT_EQ(reread.Size(), names.size()) << "the other rows (and the browser's) survived the delete";
}

TEST_F(TablesTest, AllowListMemoryAndTableFollowTheWriteFlag) {
    CWriteListMng list;
    ASSERT_TRUE(list.Init(kDataBasePath, kDataBasePassword));
    const tagAppInfo* browser = list.Find("WarrowExplorer");
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->AppPath, m_folder.string())
        << "an entry without a path lives in the installation folder";

    EXPECT_TRUE(list.Add("game", App("game", "/games/"), false));
    EXPECT_FALSE(list.Add("game", App("game", "/other/"), false)) << "existing names are overwritten";
    EXPECT_EQ(list.Find("game")->AppPath, "/other/");
    EXPECT_EQ(list.Find("Game"), nullptr) << "names are case-sensitive";

    CWriteListMng reread;
    reread.Init(kDataBasePath, kDataBasePassword);
    EXPECT_EQ(reread.Find("game"), nullptr) << "toDB false writes nothing";

    list.Clear(true);
    EXPECT_EQ(list.Size(), 0u);
    CWriteListMng empty;
    EXPECT_TRUE(empty.Init(kDataBasePath, kDataBasePassword));
    EXPECT_EQ(empty.Size(), 0u);
}

TEST_F(TablesTest, FindPathAdmitsTheEntrysProgramAndOnlyRootKeptFoldersAdmitTheirOtherPrograms) {
    namespace fs = std::filesystem;
    const std::string games = (m_folder / "opt" / "game").string();
    fs::create_directories(games + "/helpers");
    fs::create_directories(m_folder.string() + "/home/x" + games);
    fs::create_directories(games + "-extra");
    fs::create_directories(games + "/drop");
    ::chmod((games + "/drop").c_str(), 0777);
    fs::create_directory_symlink(games, m_folder / "link");
    std::ofstream(games + "/game") << "#!/bin/sh\n";

    CWriteListMng list;
    list.Add("b-game", App("game", games + "/"), false);
    list.Add("a-file", App("tool", games + "/helpers/tool"), false);
    list.Add("c-true", App("true", "/usr/bin/"), false);
    list.Add("d-empty", App("empty", ""), false);

    // The entry's own program, in key order, also through a link.
    ASSERT_NE(list.FindPath((games + "/helpers/tool").c_str()), nullptr);
    EXPECT_EQ(list.FindPath((games + "/helpers/tool").c_str())->AppName, "tool");
    ASSERT_NE(list.FindPath((m_folder / "link" / "game").c_str()), nullptr);
    // A root-kept folder of its own admits the game's helpers (the test's
    // folders are root-kept only when the tests run as root).
    if (::geteuid() == 0) {
        ASSERT_NE(list.FindPath((games + "/helpers/other").c_str()), nullptr);
        EXPECT_EQ(list.FindPath((games + "/helpers/other").c_str())->AppName, "game");
    }
    // A look-alike folder, a longer name and a folder anyone can write to do not.
    EXPECT_EQ(list.FindPath((m_folder.string() + "/home/x" + games + "/evil").c_str()), nullptr);
    EXPECT_EQ(list.FindPath((games + "-extra/evil").c_str()), nullptr);
    EXPECT_EQ(list.FindPath((games + "/drop/evil").c_str()), nullptr);
    EXPECT_EQ(list.FindPath((m_folder.string() + "/OPT/game/game").c_str()), nullptr) << "case counts";
    // One program of a shared system folder allows that one alone.
    ASSERT_NE(list.FindPath("/usr/bin/true"), nullptr);
    EXPECT_EQ(list.FindPath("/usr/bin/false"), nullptr);
    // An entry without a path never matches, not even an unknown program.
    EXPECT_EQ(list.FindPath(""), nullptr);
    EXPECT_EQ(list.FindPath("empty"), nullptr);
    EXPECT_EQ(list.FindPath(nullptr), nullptr);
}

TEST_F(TablesTest, SharedSystemFoldersAreTheCommonProgramAndLibraryFoldersAndThoseAboveThem) {
    for (const char* shared :
         {"/usr/bin", "/usr/bin/", "/bin", "/usr/games", "/usr/lib", "/usr/lib64",
          "/usr/lib/x86_64-linux-gnu", "/usr/libexec", "/usr/local/bin", "/usr", "/", "/tmp", "/home"})
        EXPECT_TRUE(CWriteListMng::IsSharedSystemFolder(shared)) << shared;
    for (const char* own : {"/opt/game", "/usr/lib/firefox-esr", "/srv/games"})
        EXPECT_FALSE(CWriteListMng::IsSharedSystemFolder(own)) << own;
}

TEST_F(TablesTest, SecondDatabaseMergesAndCurrentDatabaseTakesTheWrites) {
    CWriteListMng cache;
    ASSERT_TRUE(cache.Init(kCacheDataBasePath, kDataBasePassword));
    cache.Add("cached", App("cached", "/c/"), true);

    CWriteListMng list;
    ASSERT_TRUE(list.Init(kDataBasePath, kDataBasePassword));
    ASSERT_TRUE(list.Init(kCacheDataBasePath, kDataBasePassword));
    EXPECT_NE(list.Find("cached"), nullptr);
    EXPECT_NE(list.Find("WarrowExplorer"), nullptr);
    list.SetCurrentDB(kDataBasePath);
    list.SetCurrentDB("not/initialised.db");
    list.Add("new", App("new", "/n/"), true);

    CWriteListMng main;
    main.Init(kDataBasePath, kDataBasePassword);
    EXPECT_NE(main.Find("new"), nullptr);
    EXPECT_EQ(main.Find("cached"), nullptr);
}

TEST_F(TablesTest, ActivityLogAppendsLoadsInTimeOrderAndClears) {
    CWarrowLog log;
    EXPECT_FALSE(log.Init(kDataBasePath, kDataBasePassword)) << "an empty table loads nothing";
    log.Log("启动了[game].");
    log.Log("关闭了[game].");
    EXPECT_EQ(log.Size(), 2u);

    CWarrowLog other;
    ASSERT_TRUE(other.Init(kDataBasePath, kDataBasePassword));
    std::vector<std::string> contents;
    other.ForEach([&](tagLogInfo& line) {
        contents.push_back(line.Content);
        EXPECT_EQ(line.Type, 0);
        EXPECT_GT(line.DateTime.GetYear(), 2000);
    });
    EXPECT_EQ(contents, (std::vector<std::string>{"启动了[game].", "关闭了[game]."}));

    other.Clear();
    int calls = 0;
    other.ForEach([&](tagLogInfo&) { ++calls; });
    EXPECT_EQ(calls, 0);
    other.ForEach(nullptr);
    EXPECT_FALSE(log.Load());
    EXPECT_EQ(log.Size(), 2u) << "a failed load keeps the lines appended in this process";
}

TEST_F(TablesTest, LogRowsWithoutDateOrTextLoadWithTheirDefaults) {
    ASSERT_TRUE(Db()->Execute("INSERT INTO [AppLog] ([Type]) VALUES (3)"));
    CWarrowLog log;
    ASSERT_TRUE(log.Init(kDataBasePath, kDataBasePassword));
    log.ForEach([](tagLogInfo& line) {
        EXPECT_EQ(line.DateTime.Format(), "1899-12-30 00:00:00");
        EXPECT_EQ(line.Content, "");
        EXPECT_EQ(line.Type, 3);
    });
}

TEST_F(TablesTest, AddAppTakesExecutablesAndLaunchersAndRefusesOtherFiles) {
    std::filesystem::create_directories("bin");
    std::ofstream("bin/tuxracer") << "#!/bin/sh\n";
    ::chmod("bin/tuxracer", 0755);
    std::ofstream("notes.txt") << "text";
    const std::string folder = m_folder.string();
    std::ofstream("Tux.desktop")
        << "[Desktop Entry]\nType=Application\nName=Tux Racer\nName[zh_CN]=企鹅滑雪\n"
           "Exec=\""
        << folder << "/bin/tuxracer\" --level \"two words\" %U\nPath=/tmp\n";

    CWriteListMng list;
    ASSERT_TRUE(list.Init(kDataBasePath, kDataBasePassword));
    tagAppInfo added;
    ASSERT_TRUE(AddApp(list, folder + "/bin/tuxracer", &added));
    EXPECT_EQ(added.AppName, "tuxracer");
    EXPECT_EQ(added.AppPath, folder + "/bin/");
    EXPECT_EQ(added.Name, "tuxracer");
    EXPECT_EQ(added.AppParam, "");

    ASSERT_TRUE(AddApp(list, folder + "/Tux.desktop", &added));
    EXPECT_EQ(added.AppName, "tuxracer");
    EXPECT_EQ(added.Name, "企鹅滑雪");
    EXPECT_EQ(added.AppParam, "--level \"two words\"");

    EXPECT_FALSE(AddApp(list, folder + "/notes.txt"));
    EXPECT_FALSE(AddApp(list, folder + "/missing"));

    CWriteListMng reread;
    reread.Init(kDataBasePath, kDataBasePassword);
    ASSERT_NE(reread.Find("tuxracer"), nullptr);
    EXPECT_EQ(reread.Find("tuxracer")->Name, "企鹅滑雪");
    EXPECT_EQ(reread.Size(), 2u);

    // A name relative to the current folder is stored with its real folder.
    ASSERT_TRUE(AddApp(list, "bin/tuxracer", &added));
    EXPECT_EQ(added.AppPath, std::filesystem::canonical(folder).string() + "/bin/");

    // A program reached through a link keeps the name it was given (it may
    // act on it); the guard follows the link to the program it runs.
    std::filesystem::create_symlink("tuxracer", "bin/tux");
    ASSERT_TRUE(AddApp(list, folder + "/bin/tux", &added));
    EXPECT_EQ(added.AppName, "tux");
    EXPECT_EQ(added.AppPath, std::filesystem::canonical(folder).string() + "/bin/");
    EXPECT_NE(list.FindPath((std::filesystem::canonical(folder).string() + "/bin/tuxracer").c_str()),
              nullptr);
}

} // namespace
