// The setup guide over the running console: its steps in order, what each
// step adds when it is left, the bookmarks' pictures fetched in the
// background, and the ways out (finish, close, Escape).

#include "tests/console/ConsoleFixture.h"
#include "tests/support/Files.h"

#include "console/CDlgMessage.h"
#include "console/CDlgSetupGuide.h"
#include "console/CDlgSetupGuideStep1.h"
#include "console/CDlgSetupGuideStep2.h"
#include "console/CDlgSetupGuideStep3.h"
#include "console/CFaviconCache.h"
#include "console/CWarrowTrayDlg.h"
#include "console/ConsoleMessageBox.h"
#include "skin/CGlazeButton.h"
#include "skin/CGlazeStatic.h"

#include <QBuffer>
#include <QImage>
#include <QStandardItemModel>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTreeView>

#include <fstream>

namespace fs = std::filesystem;

namespace {

using test_files::MakeProgram;
using test_files::Write;

QString Notice(const char* text) {
    return QStringLiteral("瓦罗提示:\n") + QString::fromUtf8(text);
}

QStringList Rows(const QStandardItemModel& model) {
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        rows << model.item(row)->text();
    }
    return rows;
}

void Check(QStandardItemModel& model, const QString& text) {
    const auto found = model.findItems(text);
    ASSERT_EQ(found.size(), 1) << text.toStdString();
    found.front()->setCheckState(Qt::Checked);
}

// A web server on the loopback that answers every request with one picture
// and counts the requests.
class IconServer {
public:
    IconServer() {
        QImage picture(16, 16, QImage::Format_ARGB32);
        picture.fill(QColor(200, 30, 30));
        QBuffer buffer(&m_png);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "PNG");
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    if (!socket->readAll().contains("\r\n\r\n")) {
                        return;
                    }
                    ++m_requests;
                    socket->write("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nConnection: close\r\n"
                                  "Content-Length: " +
                                  QByteArray::number(m_png.size()) + "\r\n\r\n" + m_png);
                    socket->disconnectFromHost();
                });
            }
        });
    }
    quint16 Port() const { return m_server.serverPort(); }
    int Requests() const { return m_requests; }

private:
    QTcpServer m_server;
    QByteArray m_png;
    int m_requests = 0;
};

} // namespace

class SetupGuideTest : public ConsoleTest {
protected:
    void SetUp() override {
        ConsoleTest::SetUp();
        // The user's folders of this test: no browser profile, no launcher,
        // no picture cache of the person running the tests is read or written.
        m_home = m_folder / "home";
        fs::create_directories(m_home);
        m_saved = {std::getenv("HOME") ? std::getenv("HOME") : ""};
        ::setenv("HOME", m_home.c_str(), 1);
        ::setenv("XDG_CACHE_HOME", (m_home / ".cache").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (m_home / ".local/share").c_str(), 1);
        ::setenv("XDG_DATA_DIRS", (m_folder / "system").c_str(), 1);
        user_login_message::tagAccountInfo account;
        account.nAccount = 12345;
        account.strPassword = "secret";
        account.strUserName = "12345";
        StoreAccount(account, "parent");
        m_main = StartConsole().MainWindow();
    }
    void TearDown() override {
        m_guide.reset();
        ::setenv("HOME", m_saved.c_str(), 1);
        ::unsetenv("XDG_CACHE_HOME");
        ::unsetenv("XDG_DATA_HOME");
        ::unsetenv("XDG_DATA_DIRS");
        ConsoleTest::TearDown();
    }

    CDlgSetupGuide& OpenGuide() {
        m_guide = std::make_unique<CDlgSetupGuide>(m_main);
        EXPECT_TRUE(m_guide->OnInitDialog());
        m_guide->show();
        return *m_guide;
    }

    fs::path m_home;
    std::string m_saved;
    CWarrowTrayDlg* m_main = nullptr;
    std::unique_ptr<CDlgSetupGuide> m_guide;
};

TEST_F(SetupGuideTest, StepOneListsTheMenusProgramsAndLeavingItAddsTheCheckedOnes) {
    const fs::path apps = m_folder / "system/applications";
    const fs::path game = MakeProgram(m_folder / "bin/game");
    const fs::path tool = MakeProgram(m_folder / "bin/tool");
    Write(apps / "game.desktop",
          "[Desktop Entry]\nType=Application\nName=Game\nExec=" + game.string() + " %u\n");
    Write(apps / "paint.desktop",
          "[Desktop Entry]\nType=Application\nName=Paint\nExec=" + tool.string() + "\n");
    Write(apps / "hidden.desktop",
          "[Desktop Entry]\nType=Application\nName=Settings\nNoDisplay=true\nExec=" + tool.string() + "\n");
    Write(apps / "update.desktop",
          "[Desktop Entry]\nType=Application\nName=Update Manager\nExec=" + tool.string() + "\n");

    CDlgSetupGuide& guide = OpenGuide();
    EXPECT_EQ(guide.CurrentStep(), 0);
    EXPECT_TRUE(guide.Step1()->isVisible());
    EXPECT_EQ(guide.NextButton()->GetState(), CGlazeButton::STATE_NORMAL);
    EXPECT_EQ(guide.FinishButton()->GetState(), CGlazeButton::STATE_DISABLED);
    EXPECT_EQ(NoticeText(), Notice("选择您想给孩子使用的应用软件或适合孩子的游戏，然后点击\"下一步\""));
    QStandardItemModel& list = *guide.Step1()->Model();
    ASSERT_EQ(Rows(list), (QStringList{QStringLiteral("Game"), QStringLiteral("Paint")}));

    // Paint's program is already allowed under its name: it is not counted again.
    m_main->ApplicationPage();
    CWarrowCoreInterface::Get()->GetWLMng()->Add("tool", tagAppInfo{"tool", "/x/", "", "Tool", ""}, true);
    Check(list, QStringLiteral("Game"));
    Check(list, QStringLiteral("Paint"));
    QTest::mouseClick(guide.NextButton(), Qt::LeftButton);
    EXPECT_EQ(guide.CurrentStep(), 1);
    EXPECT_FALSE(guide.Step1()->isVisible());
    EXPECT_TRUE(guide.Step2()->isVisible());

    CWriteListMng stored; // what the child shell reads
    ASSERT_TRUE(stored.Init(kDataBasePath, kDataBasePassword));
    ASSERT_NE(stored.Find("game"), nullptr);
    EXPECT_EQ(stored.Find("game")->Name, "Game");
    EXPECT_EQ(stored.Find("game")->AppPath, fs::canonical(m_folder / "bin").string() + "/");
    ASSERT_NE(stored.Find("tool"), nullptr);
    EXPECT_EQ(stored.Find("tool")->Name, "Paint");
    // Leaving step 2 with nothing checked adds nothing and says nothing new.
    QTest::mouseClick(guide.NextButton(), Qt::LeftButton);
    EXPECT_EQ(guide.CurrentStep(), 2);
    EXPECT_EQ(guide.NextButton()->GetState(), CGlazeButton::STATE_DISABLED);
    EXPECT_EQ(guide.FinishButton()->GetState(), CGlazeButton::STATE_NORMAL);
    EXPECT_TRUE(guide.Step3()->isVisible());
}

TEST_F(SetupGuideTest, LeavingStepOneTellsHowManyProgramsWereNew) {
    const fs::path game = MakeProgram(m_folder / "bin/game");
    const fs::path chess = MakeProgram(m_folder / "bin/chess");
    Write(m_folder / "system/applications/game.desktop",
          "[Desktop Entry]\nType=Application\nName=Game\nExec=" + game.string() + "\n");
    Write(m_folder / "system/applications/chess.desktop",
          "[Desktop Entry]\nType=Application\nName=Chess\nExec=" + chess.string() + "\n");
    CWarrowCoreInterface::Get()->GetWLMng()->Add("chess", tagAppInfo{"chess", "/x/", "", "Chess", ""}, true);
    CDlgSetupGuide& guide = OpenGuide();
    Check(*guide.Step1()->Model(), QStringLiteral("Game"));
    Check(*guide.Step1()->Model(), QStringLiteral("Chess"));
    // Leaving the step (what "下一步" does before step 2 shows its own notice).
    guide.Step1()->HidePage();
    EXPECT_EQ(NoticeText(), Notice("您已经成功添加1款软件到Tavi儿童保护系统"));
    ShowNotice(nullptr);
    guide.Step1()->HidePage(); // both are known now: nothing new, nothing said
    EXPECT_EQ(NoticeText(), QString());
}

TEST_F(SetupGuideTest, StepTwoOffersBookmarksOncePerTitleAndAddsTheCheckedOnesToTheFavoritesFolder) {
    // A Chromium profile with two same-titled bookmarks and one the tree already has.
    IconServer icons;
    const std::string site = "http://127.0.0.1:" + std::to_string(icons.Port());
    Write(m_home / ".config/chromium/Default/Bookmarks",
          R"({"roots": {"bookmark_bar": {"type": "folder", "children": [
              {"type": "url", "name": "Kids", "url": ")" +
              site + R"(/kids"},
              {"type": "folder", "name": "More", "children": [
                  {"type": "url", "name": "Kids", "url": "http://other.example.org/"}]},
              {"type": "url", "name": "Zoo", "url": "http://zoo.example.com/"},
              {"type": "url", "name": "Notes", "url": "file:///home/child/notes.html"}]}}})");
    CIEListMng* tree = CWarrowCoreInterface::Get()->GetIEMng();
    tagIEInfo zoo;
    zoo.Name = "Zoo";
    zoo.Url = "http://zoo.example.org/";
    zoo.Key = "http://zoo.example.org/";
    ASSERT_NE(tree->Insert(nullptr, zoo, CIEListMng::Tree::INSERT_LAST), nullptr);
    ASSERT_TRUE(tree->Save());

    CDlgSetupGuide& guide = OpenGuide();
    guide.GoToStep(1);
    QStandardItemModel& list = *guide.Step2()->Model();
    EXPECT_EQ(Rows(list), (QStringList{QStringLiteral("Kids"), QStringLiteral("Zoo")}));
    EXPECT_EQ(guide.Step2()->Label()->GetLabelText(), QStringLiteral("IE收藏夹的网页列表"));
    EXPECT_EQ(NoticeText(), Notice("选择您想给孩子访问的网页地址，然后点击\"下一步\""));

    // The local site's picture arrives in the background and is kept in the user's cache.
    const QIcon before = list.item(0)->icon();
    QTRY_VERIFY_WITH_TIMEOUT(list.item(0)->icon().cacheKey() != before.cacheKey(), 30000);
    EXPECT_EQ(icons.Requests(), 1);
    EXPECT_FALSE(fs::exists(m_folder / "favicon.ico"));
    const fs::path cache = m_home / ".cache/warrow/favicons";
    ASSERT_TRUE(fs::is_directory(cache));
    EXPECT_EQ(std::distance(fs::directory_iterator(cache), fs::directory_iterator()), 1);

    Check(list, QStringLiteral("Kids"));
    Check(list, QStringLiteral("Zoo"));
    guide.GoToStep(2);
    EXPECT_EQ(NoticeText(), Notice("您已经成功添加1网页到Tavi儿童保护系统"));
    CIEListMng stored; // what the child browser reads
    ASSERT_TRUE(stored.Init(kDataBasePath, kDataBasePassword));
    ASSERT_NE(stored.Find("收藏夹"), nullptr);
    EXPECT_TRUE(stored.IsValid((site + "/kids").c_str()));
    EXPECT_FALSE(stored.IsValid("http://other.example.org/"));
    EXPECT_FALSE(stored.IsValid("http://zoo.example.com/"));
    EXPECT_EQ(stored.Find("Zoo")->Url, "http://zoo.example.org/");
}

TEST_F(SetupGuideTest, EscapeAndTheCloseButtonCancelWithoutApplyingTheStep) {
    const fs::path game = MakeProgram(m_folder / "bin/game");
    Write(m_folder / "system/applications/game.desktop",
          "[Desktop Entry]\nType=Application\nName=Game\nExec=" + game.string() + "\n");
    CDlgSetupGuide& guide = OpenGuide();
    Check(*guide.Step1()->Model(), QStringLiteral("Game"));
    QTest::keyClick(guide.Step1()->List(), Qt::Key_Return);
    EXPECT_TRUE(guide.isVisible()) << "Enter does nothing";
    QTest::keyClick(guide.Step1()->List(), Qt::Key_Escape);
    EXPECT_FALSE(guide.isVisible());
    EXPECT_EQ(guide.result(), QDialog::Rejected);
    CWriteListMng stored;
    ASSERT_TRUE(stored.Init(kDataBasePath, kDataBasePassword));
    EXPECT_EQ(stored.Find("game"), nullptr);

    CDlgSetupGuide& again = OpenGuide();
    Check(*again.Step1()->Model(), QStringLiteral("Game"));
    QTest::mouseClick(again.CloseButton(), Qt::LeftButton);
    EXPECT_EQ(again.result(), QDialog::Rejected);
    ASSERT_TRUE(stored.Load());
    EXPECT_EQ(stored.Find("game"), nullptr);
}

TEST_F(SetupGuideTest, FinishOffersChildModeAndTheMainWindowFollowsTheGuide) {
    CDlgSetupGuide& guide = OpenGuide();
    guide.move(100, 60);
    EXPECT_EQ(m_main->pos(), QPoint(100, 60));

    guide.GoToStep(5);
    EXPECT_EQ(guide.CurrentStep(), 2);
    console::PushMessageBoxAnswer(console::IDCANCEL);
    QTest::mouseClick(guide.FinishButton(), Qt::LeftButton);
    EXPECT_EQ(guide.result(), QDialog::Accepted);
    EXPECT_TRUE(MessageBoxShown(QStringLiteral(
        "您已成功完成本次系统配置！如需修改，再次进入配置向导即可。\n接下来将带您体验儿童模式。"
        "【因儿童模式禁用了部分操作，如遇到安全软件提示修改注册表，请同意。】")));
    EXPECT_TRUE(m_main->isVisible()) << "cancelled: the console stays";

    CDlgSetupGuide& again = OpenGuide();
    again.GoToStep(2);
    const fs::path record = m_folder / "shell-started";
    ::setenv("WARROW_TEST_SHELL_RECORD", record.c_str(), 1);
    console::PushMessageBoxAnswer(console::IDOK);
    again.OnFinish();
    QTRY_VERIFY_WITH_TIMEOUT(fs::exists(record), 20000);
    ::unsetenv("WARROW_TEST_SHELL_RECORD");
    EXPECT_EQ(again.result(), QDialog::Accepted);
}
