// The web-tree page: editing folders and pages, what a save gives the child
// browser, refused edits, the questions it asks, and the main window's close
// check. The console runs in this process on real database files.

#include "tests/console/ConsoleFixture.h"

#include "console/CDlgPageExplorer.h"
#include "console/CScrollTree.h"
#include "console/CWarrowTrayDlg.h"
#include "console/ConsoleMessageBox.h"
#include "core/WebKey.h"
#include "skin/CGlazeButton.h"
#include "skin/CGlazeSliderCtrl2.h"

#include <QLineEdit>
#include <QMenu>

namespace {

// The web tree as the child browser reads it after a save.
struct StoredTree {
    StoredTree() { EXPECT_TRUE(web.Init(kDataBasePath, kDataBasePassword)); }
    // Whether `child` lies inside folder `folder` in the stored numbering.
    bool Inside(const std::string& child, const std::string& folder) {
        const CIEListMng::Tree::Node* inner = nullptr;
        const CIEListMng::Tree::Node* outer = nullptr;
        for (const auto& node : web.GetTree()) {
            inner = node.Data.Name == child ? &node : inner;
            outer = node.Data.Name == folder ? &node : outer;
        }
        return inner != nullptr && outer != nullptr && outer->Left < inner->Left &&
               inner->Right < outer->Right;
    }
    CIEListMng web;
};

} // namespace

class PageExplorerTest : public ConsoleTest {
protected:
    // The console in its main state with page 3 shown.
    CDlgPageExplorer& OpenPage() {
        user_login_message::tagAccountInfo account;
        account.nAccount = 4711;
        account.strUserName = "4711";
        account.strPassword = "secret";
        StoreAccount(account, "parent");
        m_main = StartConsole().MainWindow();
        EXPECT_NE(m_main, nullptr);
        m_main->SelectPage(3);
        return *m_main->ExplorerPage();
    }

    // Stores a tree before the console starts: folders with their pages.
    void StoreTree(const std::vector<std::pair<std::string, std::vector<tagIEInfo>>>& folders) {
        CIEListMng web;
        ASSERT_TRUE(web.Init(kDataBasePath, kDataBasePassword));
        for (const auto& [folder, pages] : folders) {
            web.Insert(nullptr, tagIEInfo{folder, "", 0, "", true}, CIEListMng::Tree::INSERT_LAST);
            for (tagIEInfo page : pages) {
                ASSERT_TRUE(DeriveKey(page));
                web.Insert(folder.c_str(), page, CIEListMng::Tree::INSERT_LAST);
            }
        }
        ASSERT_TRUE(web.Save());
    }

    static void Select(CDlgPageExplorer& page, const char* name) {
        QTreeWidgetItem* item = page.ItemOf(QString::fromUtf8(name));
        ASSERT_NE(item, nullptr) << name;
        page.Tree()->setCurrentItem(item);
    }

    // Types into the editors of the selected node (an empty text leaves that editor alone).
    static void Edit(CDlgPageExplorer& page, const QString& name, const QString& address, int level = -1) {
        if (!name.isEmpty()) {
            page.NameEdit()->setText(name);
        }
        if (!address.isEmpty()) {
            page.AddressEdit()->setText(address);
        }
        if (level >= 0) {
            page.LevelSlider()->setValue(level);
        }
    }

    static QString Selected(CDlgPageExplorer& page) {
        QTreeWidgetItem* item = page.Tree()->currentItem();
        return item != nullptr ? item->text(0) : QString();
    }

    CWarrowTrayDlg* m_main = nullptr;
};

TEST_F(PageExplorerTest, AnEditedAndSavedTreeAdmitsExactlyWhatWasEdited) {
    CDlgPageExplorer& page = OpenPage();
    EXPECT_FALSE(page.SaveButton()->isEnabled());

    page.OnNewFolder();
    Edit(page, QStringLiteral("学习"), {});
    ASSERT_TRUE(page.Apply());
    page.OnNewPage();
    EXPECT_EQ(page.Tree()->currentItem()->parent(), page.ItemOf(QStringLiteral("学习")));
    Edit(page, QStringLiteral("少儿"), QStringLiteral("http://www.example.com/kids"), 0);
    EXPECT_TRUE(page.ApplyButton()->isEnabled());
    ASSERT_TRUE(page.Apply());
    EXPECT_FALSE(page.ApplyButton()->isEnabled());
    page.OnNewPage(); // with a page selected: into the same folder
    Edit(page, QStringLiteral("新闻"), QString::fromLatin1(CDlgPageExplorer::kNewsExample), 2);
    ASSERT_TRUE(page.Apply());
    EXPECT_TRUE(page.SaveButton()->isEnabled());

    // A folder with a page (through the context menu), then deleted with it
    // (after one refusal).
    const QList<QAction*> menu = page.ContextMenu()->actions();
    ASSERT_EQ(menu.size(), 4);
    EXPECT_TRUE(menu[2]->isSeparator());
    menu[0]->trigger();
    Edit(page, QStringLiteral("游戏"), {});
    ASSERT_TRUE(page.Apply());
    menu[1]->trigger();
    Edit(page, QStringLiteral("棋"), QStringLiteral("http://chess.example.net/"), 1);
    page.ApplyButton()->click();
    EXPECT_FALSE(page.IsEdited());
    Select(page, "游戏");
    console::PushMessageBoxAnswer(console::IDCANCEL);
    page.OnDelete();
    EXPECT_TRUE(MessageBoxShown(QStringLiteral("您真的要删除该目录下所有的网页吗？")));
    ASSERT_NE(page.ItemOf(QStringLiteral("棋")), nullptr);
    console::PushMessageBoxAnswer(console::IDOK);
    page.OnDelete();
    EXPECT_EQ(page.ItemOf(QStringLiteral("游戏")), nullptr);
    EXPECT_EQ(page.ItemOf(QStringLiteral("棋")), nullptr); // its name is free again

    // The level of a page changed after it was first applied.
    Select(page, "少儿");
    EXPECT_EQ(page.AddressEdit()->text(), QStringLiteral("http://www.example.com/kids"));
    Edit(page, {}, {}, 1);
    ASSERT_TRUE(page.Apply());

    page.SaveButton()->click();
    EXPECT_FALSE(page.IsDirty());
    EXPECT_FALSE(page.SaveButton()->isEnabled());

    StoredTree stored;
    EXPECT_TRUE(stored.Inside("少儿", "学习"));
    EXPECT_TRUE(stored.Inside("新闻", "学习"));
    EXPECT_EQ(stored.web.Find("游戏"), nullptr);
    EXPECT_EQ(stored.web.Find("棋"), nullptr);
    EXPECT_TRUE(stored.web.IsValid("http://www.example.com/anything"));
    EXPECT_TRUE(stored.web.IsValid("http://games.sina.com.cn/today"));
    EXPECT_FALSE(stored.web.IsValid("http://chess.example.net/"));
    EXPECT_FALSE(stored.web.IsValid("http://www.example.org/"));
    EXPECT_FALSE(stored.web.IsValid("http://sina.com/"));
}

TEST_F(PageExplorerTest, RefusedEditsLeaveTheNodesAsTheyWere) {
    StoreTree({{"学习", {{"百科", "http://baike.example.com/", 1, "", false}}}, {"游戏", {}}});
    CDlgPageExplorer& page = OpenPage();

    // A name already taken: the notice, and both nodes unchanged.
    Select(page, "游戏");
    Edit(page, QStringLiteral("学习"), {});
    EXPECT_FALSE(page.Apply());
    EXPECT_EQ(NoticeText(), QStringLiteral("瓦罗提示:\n名称不能有重复，请重新输入"));
    CIEListMng& web = *CWarrowCoreInterface::Get()->GetIEMng();
    ASSERT_NE(web.Find("游戏"), nullptr);
    ASSERT_NE(web.Find("学习"), nullptr);
    EXPECT_EQ(page.ItemOf(QStringLiteral("游戏"))->text(0), QStringLiteral("游戏"));
    EXPECT_EQ(page.ItemOf(QStringLiteral("学习"))->text(0), QStringLiteral("学习"));
    EXPECT_EQ(page.ItemOf(QStringLiteral("百科"))->parent(), page.ItemOf(QStringLiteral("学习")));

    // An address the key cannot be derived from, and an empty name.
    Select(page, "百科");
    Edit(page, QStringLiteral("新名"), QStringLiteral("ftp://baike.example.com/"));
    EXPECT_FALSE(page.Apply());
    EXPECT_TRUE(MessageBoxShown(QStringLiteral("请输入有效的网址")));
    Edit(page, {}, QStringLiteral("http://ab/"));
    EXPECT_FALSE(page.Apply());
    page.NameEdit()->clear();
    EXPECT_FALSE(page.Apply());
    EXPECT_TRUE(MessageBoxShown(QStringLiteral("名称不能为空，请填写名称")));
    const tagIEInfo* node = web.Find("百科");
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->Url, "http://baike.example.com/");
    EXPECT_EQ(node->Key, "http://baike.example.com");
    EXPECT_EQ(web.Find("新名"), nullptr);
    EXPECT_FALSE(page.IsDirty());

    // A rename that works keeps the name map in step: the node is found under
    // its new name, its old name is free for a new node.
    Edit(page, QStringLiteral("词典"), QStringLiteral("http://baike.example.com/"));
    ASSERT_TRUE(page.Apply());
    EXPECT_EQ(page.ItemOf(QStringLiteral("百科")), nullptr);
    Select(page, "游戏");
    Select(page, "词典");
    EXPECT_EQ(page.AddressEdit()->text(), QStringLiteral("http://baike.example.com/"));
    Select(page, "游戏");
    Edit(page, QStringLiteral("百科"), {});
    EXPECT_TRUE(page.Apply());
}

// Another tool may have stored two entries of one name: actions on the
// second must not land on the first.
TEST_F(PageExplorerTest, ASecondEntryOfTheSameNameIsShownButLeftAlone) {
    StoreTree({{"甲", {{"一", "http://one.example.com/", 1, "", false}}}, {"甲", {}}});
    CDlgPageExplorer& page = OpenPage();
    CIEListMng& web = *CWarrowCoreInterface::Get()->GetIEMng();
    ASSERT_EQ(page.Tree()->topLevelItemCount(), 2);
    QTreeWidgetItem* second = page.Tree()->topLevelItem(1);

    page.Tree()->setCurrentItem(second);
    EXPECT_FALSE(page.NameEdit()->isEnabled());
    page.OnNewPage();
    page.OnDelete();
    EXPECT_EQ(web.GetTree().size(), 3u);
    EXPECT_NE(web.Find("一"), nullptr);
    EXPECT_FALSE(page.IsDirty());

    page.Tree()->setCurrentItem(page.Tree()->topLevelItem(0));
    page.OnDelete(); // the first, with its page (the question is answered OK)
    ASSERT_EQ(web.GetTree().size(), 1u);
    EXPECT_EQ(web.Find("一"), nullptr);
    ASSERT_EQ(page.Tree()->topLevelItemCount(), 1);
    EXPECT_EQ(page.Tree()->topLevelItem(0), second);
}

TEST_F(PageExplorerTest, ANewPageGoesIntoTheFolderOfTheSelectionAndSurvivesAPageSwitch) {
    StoreTree({{"甲", {{"一", "http://one.example.com/", 1, "", false}}}, {"乙", {}}});
    CDlgPageExplorer& page = OpenPage();
    CIEListMng& web = *CWarrowCoreInterface::Get()->GetIEMng();
    const std::size_t before = web.GetTree().size();

    ASSERT_EQ(page.Tree()->currentItem(), nullptr);
    page.OnNewPage();
    EXPECT_EQ(web.GetTree().size(), before);
    EXPECT_FALSE(page.IsDirty());

    // Selecting the last folder first, then a page of the first folder: the
    // new page belongs to the first folder, in memory, in the tree, and after
    // the parent leaves the page and comes back (still unsaved).
    Select(page, "乙");
    Select(page, "一");
    page.OnNewPage();
    const QString added = Selected(page);
    ASSERT_FALSE(added.isEmpty());
    EXPECT_EQ(page.ItemOf(added)->parent(), page.ItemOf(QStringLiteral("甲")));
    EXPECT_EQ(web.GetTree().size(), before + 1);
    m_main->SelectPage(0);
    m_main->SelectPage(3);
    ASSERT_NE(page.ItemOf(added), nullptr);
    EXPECT_EQ(page.ItemOf(added)->parent(), page.ItemOf(QStringLiteral("甲")));
    EXPECT_EQ(page.ItemOf(QStringLiteral("乙"))->childCount(), 0);
    EXPECT_TRUE(page.IsDirty());
    EXPECT_TRUE(page.SaveButton()->isEnabled());
    EXPECT_EQ(StoredTree().web.GetTree().size(), before);

    // Generated names are never taken twice.
    Select(page, "乙");
    page.OnNewPage();
    EXPECT_NE(Selected(page), added);
    EXPECT_EQ(page.ItemOf(Selected(page))->parent(), page.ItemOf(QStringLiteral("乙")));
}

TEST_F(PageExplorerTest, LeavingAnEditedNodeAsksWhetherToApply) {
    StoreTree({{"甲",
                {{"一", "http://one.example.com/", 1, "", false},
                 {"二", "http://two.example.com/", 1, "", false}}}});
    CDlgPageExplorer& page = OpenPage();
    CIEListMng& web = *CWarrowCoreInterface::Get()->GetIEMng();
    const QString question = QStringLiteral("发现有改动，是否需要保存改动？");

    Select(page, "一");
    Edit(page, {}, QStringLiteral("http://uno.example.com/"));
    ASSERT_TRUE(page.IsEdited());
    console::PushMessageBoxAnswer(console::IDNO);
    Select(page, "二");
    EXPECT_TRUE(MessageBoxShown(question));
    EXPECT_EQ(web.Find("一")->Url, "http://one.example.com/");
    EXPECT_EQ(page.AddressEdit()->text(), QStringLiteral("http://two.example.com/"));
    EXPECT_FALSE(page.IsEdited());

    console::ShownMessageBoxes().clear();
    Select(page, "一"); // nothing edited: no question
    EXPECT_FALSE(MessageBoxShown(question));
    Edit(page, {}, QStringLiteral("http://uno.example.com/"), 0);
    console::PushMessageBoxAnswer(console::IDYES);
    Select(page, "二");
    EXPECT_EQ(web.Find("一")->Url, "http://uno.example.com/");
    EXPECT_EQ(web.Find("一")->Key, "http://uno.example.com/");
    EXPECT_TRUE(page.IsDirty());
}

TEST_F(PageExplorerTest, ClosingTheWindowOffersToSaveAndNoKeepsTheTable) {
    StoreTree({{"甲", {{"一", "http://one.example.com/", 1, "", false}}}});
    CDlgPageExplorer& page = OpenPage();
    const QString question = QStringLiteral("您有未保存的改动，现在是否需要保存？");

    m_main->OnCloseButton(); // nothing changed: no question
    EXPECT_FALSE(MessageBoxShown(question));

    Select(page, "一");
    page.OnDelete();
    console::PushMessageBoxAnswer(console::IDNO);
    m_main->OnCloseButton();
    EXPECT_TRUE(MessageBoxShown(question));
    EXPECT_TRUE(StoredTree().web.IsValid("http://one.example.com/x"));
    EXPECT_TRUE(page.IsDirty());

    // Yes saves, and an edit not yet applied is offered too.
    Select(page, "甲");
    Edit(page, QStringLiteral("乙"), {});
    console::ShownMessageBoxes().clear();
    console::PushMessageBoxAnswer(console::IDYES);
    console::PushMessageBoxAnswer(console::IDYES);
    m_main->OnCloseButton();
    EXPECT_TRUE(MessageBoxShown(QStringLiteral("发现有更改，是否需要应用更改？")));
    EXPECT_FALSE(page.IsDirty());
    StoredTree stored;
    EXPECT_FALSE(stored.web.IsValid("http://one.example.com/x"));
    EXPECT_NE(stored.web.Find("乙"), nullptr);
    EXPECT_EQ(stored.web.Find("甲"), nullptr);
}

TEST_F(PageExplorerTest, ASaveThatFailsLeavesThePageUnsaved) {
    CDlgPageExplorer& page = OpenPage();
    page.OnNewFolder();
    ASSERT_TRUE(Db()->Execute("ALTER TABLE [IEInfo] RENAME TO [Elsewhere]"));
    page.Save();
    EXPECT_TRUE(page.IsDirty());
    EXPECT_TRUE(page.SaveButton()->isEnabled());
    EXPECT_EQ(NoticeText(), QStringLiteral("瓦罗提示:\n网页设置保存失败，请稍后再试"));

    ASSERT_TRUE(Db()->Execute("ALTER TABLE [Elsewhere] RENAME TO [IEInfo]"));
    page.Save();
    EXPECT_FALSE(page.IsDirty());
    EXPECT_EQ(StoredTree().web.GetTree().size(), 1u);
}

// The examples of the level texts must be what the keys do.
TEST(PageExplorerLevels, TheExamplesMatchWhatEachLevelAdmits) {
    const std::string news = CDlgPageExplorer::kNewsExample;
    const std::string games = CDlgPageExplorer::kGamesExample;
    const bool admitted[3][3] = {
        // news itself, news/latest/, games
        {true, false, false},
        {true, true, false},
        {true, true, true},
    };
    for (int level = 0; level < 3; ++level) {
        tagIEInfo info{"例", news, level, "", false};
        ASSERT_TRUE(DeriveKey(info));
        EXPECT_EQ(CIEListMng::EntryAdmits(info, news + "/"), admitted[level][0]) << level;
        EXPECT_EQ(CIEListMng::EntryAdmits(info, news + "/latest/"), admitted[level][1]) << level;
        EXPECT_EQ(CIEListMng::EntryAdmits(info, games + "/"), admitted[level][2]) << level;
    }
}
