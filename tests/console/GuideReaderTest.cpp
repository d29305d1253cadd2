// The readers behind the setup guide, against files made here: desktop
// entries in fake XDG folders, a Firefox profile with a live write-ahead log,
// Chromium Bookmarks files; and what the guide adds to the allow-list and the
// web tree, in real database files.

#include "tests/core/InstallationFolder.h"
#include "tests/support/Files.h"

#include "console/BrowserBookmarks.h"
#include "console/InstalledPrograms.h"
#include "console/SetupGuideLists.h"
#include "platform/ApplicationEntries.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

using test_files::MakeProgram;
using test_files::Write;

std::string Launcher(const std::string& name, const std::string& exec, const std::string& extra = "") {
    return "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec + "\n" + extra;
}

std::vector<std::string> Names(const std::vector<console::tagInstalledProgram>& programs) {
    std::vector<std::string> names;
    for (const auto& program : programs) {
        names.push_back(program.name);
    }
    return names;
}

std::vector<std::string> Titles(const std::vector<console::tagBookmark>& bookmarks) {
    std::vector<std::string> titles;
    for (const auto& bookmark : bookmarks) {
        titles.push_back(bookmark.title);
    }
    return titles;
}

void Exec(sqlite3* db, const char* sql) {
    char* error = nullptr;
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
}

// The tables of places.sqlite the reader uses, as Firefox lays them out:
// roots, a menu folder with a subfolder, a tag folder holding a tag entry.
void FillPlaces(sqlite3* db) {
    Exec(db, "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR);"
             "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL,"
             " parent INTEGER, position INTEGER, title LONGVARCHAR, guid TEXT);"
             "INSERT INTO moz_places VALUES (1, 'https://kids.example.org/', 'Kids'),"
             " (2, 'http://maths.example.com/games', 'Maths'), (3, 'place:sort=8', NULL);"
             "INSERT INTO moz_bookmarks VALUES (1, 2, NULL, 0, 0, '', 'root________'),"
             " (2, 2, NULL, 1, 0, 'menu', 'menu________'), (3, 2, NULL, 1, 1, 'tags', 'tags________'),"
             " (4, 1, 1, 2, 0, '儿童乐园', 'a1'), (5, 2, NULL, 2, 1, 'School', 'f1'),"
             " (6, 1, 2, 5, 0, '', 'a2'), (7, 2, NULL, 3, 0, 'fun', 't1'), (8, 1, 1, 7, 0, NULL, 't2'),"
             " (9, 1, 3, 2, 2, 'Recent', 'a3');");
}

} // namespace

class GuideReaderTest : public InstallationFolder {};

TEST_F(GuideReaderTest, InstalledProgramsFollowTheDesktopsRulesForEntries) {
    const fs::path user = m_folder / "home/applications";
    const fs::path system = m_folder / "system/applications";
    const fs::path game = MakeProgram(m_folder / "bin/game");
    const fs::path paint = MakeProgram(m_folder / "bin/paint");
    const fs::path tool = MakeProgram(m_folder / "bin/tool");
    Write(system / "game.desktop", Launcher("Game", game.string() + " %U", "Icon=game\n"));
    Write(system / "kde/paint.desktop", Launcher("Paint", paint.string()));
    Write(system / "hidden.desktop", Launcher("Hidden tool", tool.string(), "NoDisplay=true\n"));
    Write(system / "updater.desktop", Launcher("Software Updater", tool.string()));
    Write(system / "gone.desktop", Launcher("Gone", (m_folder / "bin/missing").string()));
    Write(system / "removed.desktop", Launcher("Removed by the user", tool.string()));
    Write(system / "notes.txt", Launcher("Not an entry", tool.string()));
    // The user's entries of the same id win: one renames, one deletes.
    Write(user / "kde-paint.desktop", Launcher("Paint Studio", paint.string()));
    Write(user / "removed.desktop", "[Desktop Entry]\nHidden=true\n");
    Write(user / "game2.desktop", Launcher("Game", tool.string())); // same name: offered once

    const auto programs = console::InstalledPrograms({user.string(), system.string()});
    EXPECT_EQ(Names(programs), (std::vector<std::string>{"Game", "Paint Studio"}));
    ASSERT_EQ(programs.size(), 2u);
    EXPECT_EQ(programs[0].desktopFile, (system / "game.desktop").string());
    EXPECT_EQ(programs[0].program, game.string());
    EXPECT_EQ(programs[0].icon, "game");

    EXPECT_TRUE(console::IsExcludedProgramName("Windows Media"));
    EXPECT_TRUE(console::IsExcludedProgramName("Tavi儿童保护系统"));
    EXPECT_FALSE(console::IsExcludedProgramName("update manager")); // the words are case-sensitive
}

TEST_F(GuideReaderTest, ApplicationFoldersFollowTheEnvironmentAndAddFlatpaksOnce) {
    ::setenv("XDG_DATA_HOME", "/data/home", 1);
    ::setenv("XDG_DATA_DIRS", "/usr/share:/var/lib/flatpak/exports/share/:/opt/share", 1);
    const auto folders = platform::ApplicationFolders();
    ::unsetenv("XDG_DATA_HOME");
    ::unsetenv("XDG_DATA_DIRS");
    ASSERT_GE(folders.size(), 4u);
    EXPECT_EQ(folders[0], "/data/home/applications");
    EXPECT_EQ(folders[1], "/usr/share/applications");
    EXPECT_EQ(folders[2], "/var/lib/flatpak/exports/share/applications");
    EXPECT_EQ(folders[3], "/opt/share/applications");
    EXPECT_EQ(std::count(folders.begin(), folders.end(), "/var/lib/flatpak/exports/share/applications"), 1);
}

TEST_F(GuideReaderTest, FirefoxBookmarksAreReadThroughACopyIncludingWhatWaitsInTheLog) {
    const fs::path firefox = m_folder / "mozilla";
    const fs::path places = firefox / "ab12.default/places.sqlite";
    fs::create_directories(places.parent_path());
    Write(firefox / "profiles.ini",
          "[General]\nStartWithLastProfile=1\n[Profile0]\nName=default\nIsRelative=1\nPath=ab12.default\n"
          "[Profile1]\nName=gone\nIsRelative=1\nPath=missing.profile\n"
          "[Profile2]\nName=elsewhere\nIsRelative=0\nPath=" +
              (m_folder / "elsewhere").string() + "\n");
    fs::create_directories(m_folder / "elsewhere");
    // A browser that is running: the file is open in WAL mode and the
    // bookmarks sit in the log, not yet in the main file.
    sqlite3* browser = nullptr;
    ASSERT_EQ(sqlite3_open(places.c_str(), &browser), SQLITE_OK);
    Exec(browser, "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;");
    FillPlaces(browser);
    ASSERT_TRUE(fs::exists(places.string() + "-wal"));
    const auto sizeBefore = fs::file_size(places);

    const auto files = console::FirefoxPlacesFiles(firefox.string());
    ASSERT_EQ(files, std::vector<std::string>{places.string()});
    const auto bookmarks = console::ReadFirefoxPlaces(places.string());
    EXPECT_EQ(Titles(bookmarks),
              (std::vector<std::string>{"儿童乐园", "http://maths.example.com/games", "Recent"}));
    EXPECT_EQ(bookmarks[0].url, "https://kids.example.org/");
    EXPECT_EQ(fs::file_size(places), sizeBefore) << "the browser's file is never written";
    Exec(browser, "INSERT INTO moz_bookmarks VALUES (10, 1, 2, 2, 3, 'Later', 'a4');");
    EXPECT_EQ(console::ReadFirefoxPlaces(places.string()).size(), 4u);
    sqlite3_close(browser);

    EXPECT_TRUE(console::ReadFirefoxPlaces((m_folder / "nothing.sqlite").string()).empty());
    Write(m_folder / "junk.sqlite", "not a database at all");
    EXPECT_TRUE(console::ReadFirefoxPlaces((m_folder / "junk.sqlite").string()).empty());
}

TEST_F(GuideReaderTest, ChromiumBookmarksComeInTheBrowsersOrderFromEveryProfile) {
    const fs::path chromium = m_folder / "chromium";
    Write(chromium / "Default/Bookmarks", R"({"version": 1, "roots": {
        "bookmark_bar": {"type": "folder", "name": "Bar", "children": [
            {"type": "url", "name": "Story time", "url": "https://stories.example.org/"},
            {"type": "folder", "name": "Games", "children": [
                {"type": "url", "name": "", "url": "http://puzzle.example.net/"}]}]},
        "other": {"type": "folder", "children": [{"type": "url", "name": "Other", "url": "http://o.example/"}]},
        "synced": {"type": "folder", "children": []}}})");
    Write(chromium / "Profile 1/Bookmarks", "{ this is not json");
    Write(chromium / "Local State", "{}");
    fs::create_directories(chromium / "Crashpad");

    const auto files = console::ChromiumBookmarkFiles(chromium.string());
    EXPECT_EQ(files, (std::vector<std::string>{(chromium / "Default/Bookmarks").string(),
                                               (chromium / "Profile 1/Bookmarks").string()}));
    console::tagBookmarkSources sources;
    sources.chromiumFolders = {chromium.string(), (m_folder / "no-such-browser").string()};
    const auto bookmarks = console::ReadBookmarks(sources);
    EXPECT_EQ(Titles(bookmarks),
              (std::vector<std::string>{"Story time", "http://puzzle.example.net/", "Other"}));
}

TEST_F(GuideReaderTest, FavoritesAreOfferedOncePerTitleAndAddedIntoTheFavoritesFolderOnce) {
    const std::vector<console::tagBookmark> bookmarks = {
        {"Kids", "https://kids.example.org/"},   {"Kids", "http://other.example.org/"},
        {"Script", "javascript:alert(1)"},       {"Search", "place:sort=8"},
        {"Maths", "http://maths.example.com/a"}, {"Zoo", "http://zoo.example.com/"}};
    const auto offered = console::PrepareFavorites(bookmarks);
    ASSERT_EQ(offered.size(), 3u);
    EXPECT_EQ(offered[0].Name, "Kids");
    EXPECT_EQ(offered[0].Url, "https://kids.example.org/");
    EXPECT_FALSE(offered[0].Key.empty());
    EXPECT_EQ(offered[1].Name, "Maths");

    CIEListMng tree;
    ASSERT_TRUE(tree.Init(kDataBasePath, kDataBasePassword));
    tagIEInfo existing;
    existing.Name = "Zoo";
    existing.IsDir = true;
    ASSERT_NE(tree.Insert(nullptr, existing, CIEListMng::Tree::INSERT_LAST), nullptr);
    EXPECT_EQ(console::AddCheckedFavorites(tree, offered), 2);

    CIEListMng stored; // what the child browser reads
    ASSERT_TRUE(stored.Init(kDataBasePath, kDataBasePassword));
    const tagIEInfo* folder = stored.Find(console::kFavoritesFolder);
    ASSERT_NE(folder, nullptr);
    EXPECT_TRUE(folder->IsDir);
    EXPECT_TRUE(stored.IsValid("https://kids.example.org/"));
    EXPECT_TRUE(stored.IsValid("http://maths.example.com/a"));
    EXPECT_FALSE(stored.IsValid("http://zoo.example.com/"));
    EXPECT_FALSE(stored.IsValid("http://other.example.org/"));
    EXPECT_EQ(console::AddCheckedFavorites(stored, offered), 0) << "names already in the tree";
}

TEST_F(GuideReaderTest, APageNamedLikeTheFavoritesFolderTakesNoPagesUnderIt) {
    CIEListMng tree;
    ASSERT_TRUE(tree.Init(kDataBasePath, kDataBasePassword));
    tagIEInfo page;
    page.Name = console::kFavoritesFolder;
    page.Url = "http://fav.example.com/";
    ASSERT_NE(tree.Insert(nullptr, page, CIEListMng::Tree::INSERT_LAST), nullptr);
    const auto offered = console::PrepareFavorites({{"Kids", "https://kids.example.org/"}});
    EXPECT_EQ(console::AddCheckedFavorites(tree, offered), -1);
    EXPECT_EQ(tree.Find("Kids"), nullptr);
}

TEST_F(GuideReaderTest, CheckedProgramsCountOnlyNamesTheAllowListDidNotHold) {
    const fs::path game = MakeProgram(m_folder / "bin/game");
    const fs::path paint = MakeProgram(m_folder / "bin/paint");
    Write(m_folder / "apps/paint.desktop", Launcher("Paint", paint.string() + " --kid %f"));
    Write(m_folder / "notes.txt", "text");
    CWriteListMng list;
    ASSERT_TRUE(list.Init(kDataBasePath, kDataBasePassword));
    ASSERT_TRUE(console::AddCheckedPrograms(list, {game.string()}) == 1);
    EXPECT_EQ(console::AddCheckedPrograms(list, {game.string(), (m_folder / "apps/paint.desktop").string(),
                                                 (m_folder / "notes.txt").string()}),
              1);
    CWriteListMng stored;
    ASSERT_TRUE(stored.Init(kDataBasePath, kDataBasePassword));
    const tagAppInfo* added = stored.Find("paint");
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->Name, "Paint");
    EXPECT_EQ(added->AppParam, "--kid");
    EXPECT_EQ(stored.Find("notes.txt"), nullptr);
}
