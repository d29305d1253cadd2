#include "InstallationFolder.h"

#include "core/WebKey.h"

namespace {

using WebTreeTest = InstallationFolder;

tagIEInfo Page(const std::string& name, const std::string& url, int level) {
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

TEST_F(WebTreeTest, SavedTreeLoadsBackInLeftOrder) {
    CIEListMng web;
    ASSERT_TRUE(web.Init(kDataBasePath, kDataBasePassword)) << "an empty table is a valid tree";
    web.Insert(nullptr, Folder("游戏"), CIEListMng::Tree::INSERT_LAST);
    web.Insert(nullptr, Folder("学习"), CIEListMng::Tree::INSERT_LAST);
    web.Insert("游戏", Page("Games", "http://games.example.com/", 1), CIEListMng::Tree::INSERT_LAST);
    web.Insert("学习", Page("Wiki's", "http://wiki.example.org/a", 0), CIEListMng::Tree::INSERT_FIRST);
    ASSERT_TRUE(web.Save());

    CIEListMng reread;
    ASSERT_TRUE(reread.Init(kDataBasePath, kDataBasePassword));
    std::vector<std::string> order;
    for (const auto& node : reread.GetTree()) {
        order.push_back(node.Data.Name + ":" + std::to_string(node.Left) + "-" + std::to_string(node.Right));
    }
    EXPECT_EQ(order, (std::vector<std::string>{"游戏:1-4", "Games:2-3", "学习:5-8", "Wiki's:6-7"}));
    ASSERT_NE(reread.Find("Games"), nullptr);
    EXPECT_FALSE(reread.Find("Games")->IsDir);
    EXPECT_TRUE(reread.Find("学习")->IsDir);
    EXPECT_EQ(reread.Find(nullptr), nullptr);

    reread.Erase("游戏");
    EXPECT_EQ(reread.Find("Games"), nullptr);
    EXPECT_EQ(reread.GetTree().begin()->Left, 1);
}

TEST_F(WebTreeTest, MalformedNumberingLoadsButReportsFalse) {
    Db()->Execute("INSERT INTO [IEInfo] ([Left],[Right],[Name]) VALUES (1,2,'a')");
    Db()->Execute("INSERT INTO [IEInfo] ([Left],[Right],[Name]) VALUES (1,4,'b')");
    CIEListMng web;
    EXPECT_FALSE(web.Init(kDataBasePath, kDataBasePassword));
    EXPECT_EQ(web.GetTree().size(), 2u);
}

TEST_F(WebTreeTest, IsValidMatchesExactOrContainedKeysIgnoringCase) {
    CIEListMng web;
    web.Insert(nullptr, Page("exact", "http://news.example.com/", 0), CIEListMng::Tree::INSERT_LAST);
    web.Insert(nullptr, Page("site", "http://Games.Example.com/play", 1), CIEListMng::Tree::INSERT_LAST);
    tagIEInfo bare;
    bare.Name = "bare";
    bare.Key = "http://";
    bare.Level = 1;
    web.Insert(nullptr, bare, CIEListMng::Tree::INSERT_LAST);
    tagIEInfo folder = Folder("folder");
    folder.Key = "evil";
    folder.Level = 1;
    web.Insert(nullptr, folder, CIEListMng::Tree::INSERT_LAST);

    EXPECT_TRUE(web.IsValid("HTTP://NEWS.EXAMPLE.COM/"));
    EXPECT_FALSE(web.IsValid("http://news.example.com/latest/")) << "level 0 allows only the address itself";
    EXPECT_TRUE(web.IsValid("http://games.example.com/anything/at/all"));
    EXPECT_FALSE(web.IsValid("http://other.org/")) << "a key of only http:// matches nothing";
    EXPECT_FALSE(web.IsValid("http://evil.org/")) << "folders never match";
    EXPECT_FALSE(web.IsValid(nullptr));
    EXPECT_FALSE(CIEListMng().IsValid("http://news.example.com/"));
}

TEST_F(WebTreeTest, HttpKeysAdmitTheHttpsFormOfTheSameAddressOnly) {
    CIEListMng web;
    ASSERT_TRUE(web.Init(kDataBasePath, kDataBasePassword));
    web.Insert(nullptr, Page("exact", "http://news.example.com/", 0), CIEListMng::Tree::INSERT_LAST);
    web.Insert(nullptr, Page("site", "https://games.example.com/play", 1), CIEListMng::Tree::INSERT_LAST);
    web.Insert(nullptr, Page("domain", "http://www.sina.com.cn/", 2), CIEListMng::Tree::INSERT_LAST);
    tagIEInfo scheme;
    scheme.Name = "scheme";
    scheme.Key = "HTTPS://";
    scheme.Level = 1;
    web.Insert(nullptr, scheme, CIEListMng::Tree::INSERT_LAST);
    ASSERT_EQ(web.Find("site")->Key, "http://games.example.com") << "stored in the http form";

    EXPECT_TRUE(web.IsValid("https://news.example.com/"));
    EXPECT_TRUE(web.IsValid("HTTPS://NEWS.EXAMPLE.COM/"));
    EXPECT_FALSE(web.IsValid("https://news.example.com/other")) << "level 0 stays exact";
    EXPECT_FALSE(web.IsValid("httpss://news.example.com/"));
    EXPECT_TRUE(web.IsValid("http://games.example.com/x"));
    EXPECT_TRUE(web.IsValid("https://games.example.com/x"));
    EXPECT_FALSE(web.IsValid("https://other.example.com/x"));
    EXPECT_TRUE(web.IsValid("https://news.sina.com.cn/")) << "domain keys never named a scheme";
    EXPECT_FALSE(web.IsValid("https://elsewhere.org/")) << "a key of only a scheme admits nothing";

    // Rows keep what was stored: an old https key is matched as written.
    tagIEInfo stored;
    stored.Name = "stored";
    stored.Key = "https://old.example.com/";
    web.Insert(nullptr, stored, CIEListMng::Tree::INSERT_LAST);
    ASSERT_TRUE(web.Save());
    CIEListMng reread;
    ASSERT_TRUE(reread.Init(kDataBasePath, kDataBasePassword));
    EXPECT_EQ(reread.Find("stored")->Key, "https://old.example.com/");
    EXPECT_TRUE(reread.IsValid("https://old.example.com/"));
    EXPECT_FALSE(reread.IsValid("http://old.example.com/")) << "only http keys have an https twin";
}

TEST(DeriveKeyTest, KeysFollowTheRestrictionLevel) {
    auto key = [](const std::string& url, int level) {
        tagIEInfo info;
        info.Url = url;
        info.Level = level;
        info.Key = "unchanged";
        return DeriveKey(info) ? info.Key : std::string("refused");
    };
    EXPECT_EQ(key("http://news.example.com", 0), "http://news.example.com/");
    EXPECT_EQ(key("http://news.example.com", 1), "http://news.example.com");
    EXPECT_EQ(key("http://news.example.com", 2), "example.com");
    EXPECT_EQ(key("HTTP://News.Example.com/Latest/", 0), "http://news.example.com/latest/");
    EXPECT_EQ(key("http://news.example.com/latest/", 1), "http://news.example.com");
    EXPECT_EQ(key("http://news.sina.com.cn/x", 2), "sina.com.cn");
    EXPECT_EQ(key("http://localhost", 2), "localhost");
    EXPECT_EQ(key("http://ab/x", 1), "refused") << "a host of fewer than 3 characters";
    EXPECT_EQ(key("https://news.example.com", 1), "http://news.example.com");
    EXPECT_EQ(key("HTTPS://News.Example.com/a", 0), "http://news.example.com/a");
    EXPECT_EQ(key("https://news.sina.com.cn/x", 2), "sina.com.cn");
    EXPECT_EQ(key("https://ab/x", 1), "refused");
    EXPECT_EQ(key("https://", 1), "refused");
    EXPECT_EQ(key("httpss://news.example.com", 1), "refused");
    EXPECT_EQ(key("ftp://news.example.com", 1), "refused");
    EXPECT_EQ(key("http://", 1), "refused");
    EXPECT_EQ(key("http://abc/x", 7), "unchanged");
}

} // namespace
