// The browser's decisions without a display: captions, admission of
// addresses by scheme, the tree's two levels and tab bookkeeping.

#include "browser/NavigationPolicy.h"
#include "browser/SiteTree.h"
#include "browser/TabBook.h"
#include "browser/TabCaption.h"
#include "core/CIEListMng.h"
#include "core/WebKey.h"

#include <gtest/gtest.h>

namespace {

tagIEInfo Site(const std::string& name, const std::string& url, int level) {
    tagIEInfo info;
    info.Name = name;
    info.Url = url;
    info.Level = level;
    DeriveKey(info);
    return info;
}

tagIEInfo Folder(const std::string& name) {
    tagIEInfo info;
    info.Name = name;
    info.IsDir = true;
    return info;
}

TEST(TabCaptionTest, LongTitlesKeepFourteenWholeCharacters) {
    EXPECT_EQ(ShortenCaption("abcdefghijklm"), "abcdefghijklm") << "13 characters stay";
    EXPECT_EQ(ShortenCaption("abcdefghijklmnopqrst"), "abcdefghijklmn...");
    EXPECT_EQ(ShortenCaption("abcdefghijklmn"), "abcdefghijklmn...") << "14 characters are 'longer than 13'";
    EXPECT_EQ(ShortenCaption("一二三四五六七八九十一二三"), "一二三四五六七八九十一二三");
    EXPECT_EQ(ShortenCaption("一二三四五六七八九十一二三四五六"), "一二三四五六七八九十一二三四...");
    EXPECT_EQ(ShortenCaption("abcdefghijklm中文字"), "abcdefghijklm中...") << "mixed widths";
    EXPECT_EQ(ShortenCaption("😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀"), "😀😀😀😀😀😀😀😀😀😀😀😀😀😀...");
    EXPECT_EQ(ShortenCaption(""), "");
    // A broken sequence counts byte by byte and is never extended past the text.
    const std::string broken = std::string(13, 'a') + "\xE4\xB8";
    EXPECT_EQ(ShortenCaption(broken), std::string(13, 'a') + "\xE4...");
}

TEST(NavigationPolicyTest, WebAddressesFollowTheTreeOtherSchemesNeedAnEntryOfTheirOwn) {
    CIEListMng web;
    web.Insert(nullptr, Site("domain", "http://www.example.com/", 2), CIEListMng::Tree::INSERT_LAST);
    web.Insert(nullptr, Site("site", "http://games.example.org/", 1), CIEListMng::Tree::INSERT_LAST);

    EXPECT_TRUE(AdmitsAddress(web, "http://news.example.com/a"));
    EXPECT_TRUE(AdmitsAddress(web, "https://games.example.org/x"));
    EXPECT_FALSE(AdmitsAddress(web, "http://other.org/"));
    // Each of these contains a key, which the tree alone would let through.
    for (const char* bypass :
         {"file:///home/child/example.com.html", "data:text/html,<b>example.com</b>",
          "view-source:http://games.example.org/", "chrome://gpu/?example.com", "qrc:/example.com",
          "about:blank#example.com", "devtools://devtools/example.com", "javascript:'example.com'",
          "blob:http://games.example.org/1", "example.com", ":example.com"}) {
        EXPECT_FALSE(AdmitsAddress(web, bypass)) << bypass;
    }

    // An entry that names a scheme admits it, except the ones that are never opened.
    tagIEInfo local;
    local.Name = "local";
    local.Key = "file:///srv/kids/";
    local.Level = 1;
    web.Insert(nullptr, local, CIEListMng::Tree::INSERT_LAST);
    tagIEInfo blank;
    blank.Name = "blank";
    blank.Key = "about:blank";
    web.Insert(nullptr, blank, CIEListMng::Tree::INSERT_LAST);
    tagIEInfo source;
    source.Name = "source";
    source.Key = "view-source:";
    source.Level = 1;
    web.Insert(nullptr, source, CIEListMng::Tree::INSERT_LAST);
    EXPECT_TRUE(AdmitsAddress(web, "file:///srv/kids/story.html"));
    EXPECT_FALSE(AdmitsAddress(web, "file:///home/child/example.com.html"));
    EXPECT_TRUE(AdmitsAddress(web, "about:blank"));
    EXPECT_TRUE(AdmitsAddress(web, "ABOUT:BLANK"));
    EXPECT_FALSE(AdmitsAddress(web, "view-source:http://games.example.org/"));
}

TEST(SiteTreeTest, SitesHangUnderTheFolderBeforeThemAndFoldersStayOnTop) {
    CIEListMng web;
    web.Insert(nullptr, Site("早", "http://early.example.com/", 1), CIEListMng::Tree::INSERT_LAST);
    web.Insert(nullptr, Folder("游戏"), CIEListMng::Tree::INSERT_LAST);
    web.Insert("游戏", Site("棋", "http://chess.example.com/", 1), CIEListMng::Tree::INSERT_LAST);
    web.Insert("游戏", Folder("内层"), CIEListMng::Tree::INSERT_LAST);
    web.Insert("内层", Site("深", "http://deep.example.com/", 1), CIEListMng::Tree::INSERT_LAST);
    web.Insert("游戏", Site("牌", "http://cards.example.com/", 1), CIEListMng::Tree::INSERT_LAST);
    web.GetTree().Sort();

    std::vector<std::pair<std::string, int>> shape;
    const auto items = BuildSiteTree(web);
    for (const SiteTreeItem& item : items) {
        shape.emplace_back(item.name, item.parent);
    }
    EXPECT_EQ(shape, (std::vector<std::pair<std::string, int>>{
                         {"早", -1}, {"游戏", -1}, {"棋", 1}, {"内层", -1}, {"深", 3}, {"牌", 3}}))
        << "a nested folder comes up to the top, and what follows it hangs under it";
    EXPECT_EQ(SiteToOpen(items[2]), "http://chess.example.com/");
    EXPECT_EQ(SiteToOpen(items[1]), "") << "folders open nothing";
}

TEST(TabBookTest, ClosingSelectsTheSamePlaceOrTheNewLastPage) {
    EXPECT_EQ(TabAfterClose(0, 0), 0) << "none left: the new-tab tab, which opens an empty page";
    EXPECT_TRUE(IsNewTabTab(TabAfterClose(0, 0), 0));
    EXPECT_EQ(TabAfterClose(2, 2), 1) << "the last of three";
    EXPECT_EQ(TabAfterClose(1, 2), 1) << "the middle of three: its right neighbour moves in";
    EXPECT_FALSE(IsNewTabTab(1, 2));
}

} // namespace
