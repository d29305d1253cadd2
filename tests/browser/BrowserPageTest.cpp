// The browser's pages against real loopback servers: what is refused never
// reaches the refused server, what is allowed opens, is logged and becomes a
// tab instead of a window.

#include "tests/browser/BrowserFixture.h"

#include "browser/CExplorer.h"
#include "skin/CGlazeButton.h"
#include "skin/CGlazeTabCtrl.h"

#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>

#include <fstream>

namespace {

using BrowserPageTest = BrowserTest;

std::string Link(const std::string& id, const std::string& href, const std::string& target = "") {
    return "<a id='" + id + "' href='" + href + "'" + (target.empty() ? "" : " target='" + target + "'") +
           ">" + id + "</a>";
}

std::string Click(const std::string& id) {
    return "document.getElementById('" + id + "').click();";
}

TEST_F(BrowserPageTest, LinksScriptsRedirectsAndFramesToARefusedSiteNeverReachIt) {
    m_allowed->Page("/index.html",
                    "<title>Index</title>" + Link("out", Refused("/link")) + Link("in", "/second.html"));
    m_allowed->Page("/second.html", "<title>Second</title>second");
    m_allowed->Redirect("/jump", Refused("/redirected"));
    m_allowed->Page("/framed.html",
                    "<iframe src='" + Refused("/frame") + "'></iframe><iframe src='/ok.html'></iframe>");
    m_allowed->Page("/ok.html", "ok");
    m_refused->Page("/link", "refused");
    CDlgExplorer& page = *Browser().SelectedPage();

    ASSERT_TRUE(Load(page, Allowed("/index.html")));
    EXPECT_EQ(Browser().AddressField()->text().toStdString(), Allowed("/index.html"));
    ASSERT_TRUE(RunAndWaitForRefusals(page, Click("out"), 1)) << "a link";
    EXPECT_EQ(page.Page()->LastRefused().toString().toStdString(), Refused("/link"));
    ASSERT_TRUE(RunAndWaitForRefusals(page, "location.href = '" + Refused("/script") + "';", 1))
        << "a script";
    EXPECT_EQ(page.Page()->LastRefused().toString().toStdString(), Refused("/script"));
    EXPECT_EQ(Browser().AddressField()->text().toStdString(), Allowed("/index.html")) << "nothing changed";
    EXPECT_EQ(page.CurrentUrl(), Allowed("/index.html"));

    EXPECT_FALSE(Load(page, Allowed("/jump"))) << "a redirect from an allowed page";
    EXPECT_EQ(page.Page()->LastRefused().toString().toStdString(), Refused("/redirected"));

    QSignalSpy finished(page.Page(), &QWebEnginePage::loadFinished);
    const int refusals = page.Page()->RefusedCount();
    page.Navigate(Allowed("/framed.html"));
    ASSERT_TRUE(WaitFor([&] { return !finished.isEmpty() && page.Page()->RefusedCount() > refusals; }));
    EXPECT_EQ(page.Page()->LastRefused().toString().toStdString(), Refused("/frame")) << "an iframe";
    EXPECT_EQ(m_allowed->RequestsFor("/ok.html"), 1) << "the allowed frame loads";

    ASSERT_TRUE(Load(page, Allowed("/index.html")));
    page.Page()->runJavaScript(QString::fromStdString(Click("in")));
    ASSERT_TRUE(WaitFor([&] { return page.CurrentUrl() == Allowed("/second.html"); }))
        << "allowed links work";

    EXPECT_EQ(m_refused->Requests(), std::vector<std::string>{});
    for (const std::string& line : LogLines()) {
        EXPECT_EQ(line.find(m_refused->Origin()), std::string::npos) << line;
    }
    EXPECT_GE(Logged("打开了网页" + Allowed("/index.html")), 2);
}

TEST_F(BrowserPageTest, EveryFrameOfAPageIsLoggedOnce) {
    m_allowed->Page("/two.html", "<iframe src='/a.html'></iframe><iframe src='/b.html'></iframe>");
    m_allowed->Page("/a.html", "a");
    m_allowed->Page("/b.html", "b");
    CDlgExplorer& page = *Browser().SelectedPage();
    ASSERT_TRUE(Load(page, Allowed("/two.html")));
    ASSERT_TRUE(
        WaitFor([&] { return m_allowed->RequestsFor("/b.html") + m_allowed->RequestsFor("/a.html") == 2; }));
    EXPECT_EQ(Logged("打开了网页" + Allowed("/two.html")), 1);
    EXPECT_EQ(Logged("打开了网页" + Allowed("/a.html")), 1);
    EXPECT_EQ(Logged("打开了网页" + Allowed("/b.html")), 1);
}

TEST_F(BrowserPageTest, HttpKeysAdmitTheHttpsFormAndRedirectsAreCheckedBothWays) {
    // An entry stored from an https address admits the same page over http.
    AllowSite("安全", "https://127.0.0.3:1/secure.html", 0);
    m_allowed->Page("/plain.html", "plain");
    m_allowed->Redirect("/old", "/new.html");
    m_allowed->Page("/new.html", "<title>New</title>new");
    m_allowed->Redirect("/upgrade", "https://" + m_allowed->Origin().substr(7) + "/landing");
    CDlgExplorer& page = *Browser().SelectedPage();

    ASSERT_TRUE(Load(page, Allowed("/old"))) << "a redirect to a second path of the allowed site";
    EXPECT_EQ(page.CurrentUrl(), Allowed("/new.html"));
    EXPECT_EQ(Logged("打开了网页" + Allowed("/new.html")), 1);

    // The allowed site moves to https: the key of its http form admits it.
    // (The loopback server speaks no TLS, so the page itself fails to load.)
    const int refusals = page.Page()->RefusedCount();
    page.Navigate(Allowed("/upgrade"));
    const std::string secure = "https://" + m_allowed->Origin().substr(7) + "/landing";
    ASSERT_TRUE(WaitFor([&] { return page.CurrentUrl() == secure; }));
    EXPECT_EQ(page.Page()->RefusedCount(), refusals);
    EXPECT_EQ(Browser().AddressField()->text().toStdString(), secure);

    EXPECT_TRUE(m_web.IsValid("http://127.0.0.3:1/secure.html"));
    EXPECT_TRUE(m_web.IsValid("https://127.0.0.3:1/secure.html"));
}

TEST_F(BrowserPageTest, PopupsOfAllowedAddressesBecomeTabsOthersOpenNothing) {
    m_allowed->Page("/index.html", Link("blank", "/blank-target.html", "_blank"));
    m_allowed->Page("/popup.html", "<title>Popup</title>popup");
    m_allowed->Page("/blank-target.html", "<title>Target</title>target");
    m_refused->Page("/popup", "refused");
    CWarrowExplorerDlg& browser = Browser();
    CDlgExplorer& page = *browser.SelectedPage();
    ASSERT_TRUE(Load(page, Allowed("/index.html")));

    page.Page()->runJavaScript(QString::fromStdString("window.open('" + Refused("/popup") +
                                                      "'); window.open('" + Allowed("/popup.html") + "');"));
    ASSERT_TRUE(WaitFor([&] { return browser.Pages().size() == 2; }));
    CDlgExplorer& popup = *browser.Pages()[1];
    EXPECT_EQ(browser.SelectedPage(), &popup) << "the new tab is selected";
    ASSERT_TRUE(WaitFor([&] { return Logged("打开了网页" + Allowed("/popup.html")) == 1; }));
    ASSERT_TRUE(WaitFor([&] { return browser.Tabs()->tabText(1) == QStringLiteral("Popup"); }));
    EXPECT_EQ(browser.Tabs()->tabText(2).toStdString(), "新建选项卡");

    page.Page()->runJavaScript(QString::fromStdString(Click("blank")));
    ASSERT_TRUE(WaitFor([&] { return browser.Pages().size() == 3; })) << "a link with target=_blank";
    EXPECT_EQ(browser.Pages()[2]->CurrentUrl(), Allowed("/blank-target.html"));

    EXPECT_EQ(m_refused->Requests(), std::vector<std::string>{});
    EXPECT_EQ(browser.Tabs()->count(), 4);
}

TEST_F(BrowserPageTest, TabsCloseToTheRightNeighbourOrTheNewLastAndTheAddressFollowsTheSelection) {
    m_allowed->Page("/a.html", "<title>一二三四五六七八九十一二三四五六七</title>a");
    m_allowed->Page("/b.html", "b");
    CWarrowExplorerDlg& browser = Browser();
    ASSERT_EQ(browser.Pages().size(), 1u);
    EXPECT_EQ(browser.Tabs()->tabText(0).toStdString(), "空白页");
    EXPECT_EQ(browser.Tabs()->tabText(1).toStdString(), "新建选项卡");
    EXPECT_FALSE(browser.Button(CWarrowExplorerDlg::IDC_CLOSEPAGE)->isVisible())
        << "one page: no close button";

    browser.ClosePage();
    ASSERT_EQ(browser.Pages().size(), 1u) << "closing the only page opens an empty one";
    EXPECT_EQ(browser.Tabs()->tabText(0).toStdString(), "空白页");
    EXPECT_EQ(browser.Pages()[0]->CurrentUrl(), "") << "about:blank is not in the tree";

    ASSERT_TRUE(Load(*browser.SelectedPage(), Allowed("/a.html")));
    ASSERT_TRUE(WaitFor(
        [&] { return browser.Tabs()->tabText(0) == QStringLiteral("一二三四五六七八九十一二三四..."); }));
    browser.Tabs()->setCurrentIndex(1); // the child selects "新建选项卡"
    ASSERT_EQ(browser.Pages().size(), 2u);
    ASSERT_TRUE(Load(*browser.SelectedPage(), Allowed("/b.html")));
    EXPECT_TRUE(browser.Button(CWarrowExplorerDlg::IDC_CLOSEPAGE)->isVisible());
    browser.Tabs()->setCurrentIndex(2);
    ASSERT_EQ(browser.Pages().size(), 3u);
    EXPECT_EQ(browser.AddressField()->text().toStdString(), "");

    browser.Tabs()->setCurrentIndex(0);
    EXPECT_EQ(browser.AddressField()->text().toStdString(), Allowed("/a.html"));
    browser.Tabs()->setCurrentIndex(1);
    EXPECT_EQ(browser.AddressField()->text().toStdString(), Allowed("/b.html"));

    browser.Tabs()->setCurrentIndex(2);
    QTest::mouseClick(browser.Button(CWarrowExplorerDlg::IDC_CLOSEPAGE), Qt::LeftButton);
    ASSERT_EQ(browser.Pages().size(), 2u);
    EXPECT_EQ(browser.Tabs()->currentIndex(), 1) << "closing the last of three selects the new last";
    EXPECT_EQ(browser.AddressField()->text().toStdString(), Allowed("/b.html"));
    browser.Tabs()->setCurrentIndex(0);
    browser.ClosePage();
    EXPECT_EQ(browser.Tabs()->currentIndex(), 0);
    EXPECT_EQ(browser.SelectedPage()->CurrentUrl(), Allowed("/b.html")) << "its right neighbour moves in";
    EXPECT_EQ(browser.SelectedPage()->TabIndex(), 0);
}

TEST_F(BrowserPageTest, TheTreeShowsFoldersWithSitesAndOpensOnlyWhatItsKeyAdmits) {
    m_allowed->Page("/index.html", "<title>Index</title>index");
    tagIEInfo odd;
    odd.Name = "别处";
    odd.Url = Refused("/elsewhere"); // its own key admits something else
    odd.Key = Allowed("/only-this");
    m_web.Insert("学习", odd, CIEListMng::Tree::INSERT_LAST);
    AddFolder("游戏");
    CWarrowExplorerDlg& browser = Browser();
    QTreeWidget& tree = *browser.Tree();
    ASSERT_EQ(tree.topLevelItemCount(), 2);
    QTreeWidgetItem* learning = tree.topLevelItem(0);
    EXPECT_EQ(learning->text(0).toStdString(), "学习");
    EXPECT_TRUE(learning->isExpanded()) << "the first folder opens at start";
    ASSERT_EQ(learning->childCount(), 2);
    EXPECT_EQ(tree.topLevelItem(1)->text(0).toStdString(), "游戏");

    CDlgExplorer& page = *browser.SelectedPage();
    const int refusals = page.Page()->RefusedCount();
    browser.OpenSiteItem(learning->child(1));
    ASSERT_TRUE(WaitFor([&] { return page.Page()->RefusedCount() > refusals; }));
    browser.OpenSiteItem(learning); // a folder
    EXPECT_EQ(page.Page()->RefusedCount(), refusals + 1);

    QSignalSpy finished(page.Page(), &QWebEnginePage::loadFinished);
    tree.scrollToItem(learning->child(0));
    const QPoint place = tree.visualItemRect(learning->child(0)).center();
    ASSERT_EQ(tree.itemAt(place), learning->child(0));
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, place);
    QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, place);
    ASSERT_TRUE(WaitFor([&] { return !finished.isEmpty(); }));
    EXPECT_EQ(page.CurrentUrl(), Allowed("/index.html"));
    EXPECT_EQ(m_refused->Requests(), std::vector<std::string>{});
}

TEST_F(BrowserPageTest, NoWayAroundTheFilterFromInsideTheBrowser) {
    // A domain key: every address merely containing it passes the tree.
    AllowSite("例子", "http://www.example.com/", 2);
    m_allowed->Page("/index.html", "<title>Index</title>" + Link("get", "/game.bin"));
    m_allowed->Attachment("/game.bin");
    const std::string local = m_folder.string() + "/example.com.html";
    std::ofstream(local) << "<title>local</title>local";
    CWarrowExplorerDlg& browser = Browser();
    CDlgExplorer& page = *browser.SelectedPage();
    ASSERT_TRUE(Load(page, Allowed("/index.html")));

    for (const std::string& address :
         {"file://" + local, std::string("data:text/html,<b>example.com</b>"),
          "view-source:" + Allowed("/index.html"), std::string("chrome://gpu/?example.com"),
          std::string("qrc:/example.com"), std::string("about:blank#example.com")}) {
        EXPECT_FALSE(Load(page, address)) << address;
    }
    EXPECT_EQ(browser.AddressField()->text().toStdString(), Allowed("/index.html"));

    // Source view, saving, developer tools: nothing happens, no tab opens.
    // A page saved would be a download requested before the link's below.
    QSignalSpy downloads(BrowserEnvironment::Profile(), &QWebEngineProfile::downloadRequested);
    for (QWebEnginePage::WebAction action :
         {QWebEnginePage::ViewSource, QWebEnginePage::SavePage, QWebEnginePage::InspectElement}) {
        page.Page()->triggerAction(action);
    }
    page.Page()->runJavaScript(QString::fromStdString(Click("get")));
    ASSERT_TRUE(WaitFor([&] { return !downloads.isEmpty(); }));
    auto* download = downloads.first().first().value<QWebEngineDownloadRequest*>();
    EXPECT_EQ(download->url().path().toStdString(), "/game.bin") << "the page itself was not saved";
    ASSERT_TRUE(WaitFor([&] { return download->state() == QWebEngineDownloadRequest::DownloadCancelled; }));
    EXPECT_EQ(browser.Pages().size(), 1u);
    EXPECT_TRUE(page.Page()->devToolsPage() == nullptr);

    // No typed addresses.
    QLineEdit& address = *browser.AddressField();
    EXPECT_TRUE(address.isReadOnly());
    address.setFocus();
    QTest::keyClicks(&address, QStringLiteral("http://elsewhere.org/"));
    QTest::keyClick(&address, Qt::Key_Return);
    EXPECT_EQ(address.text().toStdString(), Allowed("/index.html"));
    EXPECT_TRUE(browser.isVisible()) << "Enter closes nothing";

    // The context menu offers back, forward, reload and copy only.
    const std::unique_ptr<QMenu> menu(page.View()->CreateContextMenu());
    QList<QAction*> expected;
    for (QWebEnginePage::WebAction action :
         {QWebEnginePage::Back, QWebEnginePage::Forward, QWebEnginePage::Reload, QWebEnginePage::Copy}) {
        expected.push_back(page.Page()->action(action));
    }
    EXPECT_EQ(menu->actions(), expected);
    EXPECT_EQ(m_refused->Requests(), std::vector<std::string>{});
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new BrowserEnvironment);
    return RUN_ALL_TESTS();
}
