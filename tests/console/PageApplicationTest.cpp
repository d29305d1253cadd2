// The applications page in the running console: drops from a file manager,
// the add row's file dialog, renaming in place, removing, and what the child
// shell then finds in the database file.

#include "tests/console/ConsoleFixture.h"
#include "tests/support/Files.h"

#include "console/CAllowListModel.h"
#include "console/CDlgPageAppliction.h"
#include "console/CWarrowTrayDlg.h"
#include "console/ConsoleMessageBox.h"

#include <QAbstractItemModelTester>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include <fstream>

namespace fs = std::filesystem;

namespace {

using test_files::MakeProgram;
using test_files::Write;

// The allow-list as the child shell reads it at its start.
std::optional<tagAppInfo> Stored(const char* name) {
    CWriteListMng list;
    if (!list.Init(kDataBasePath, kDataBasePassword)) {
        return std::nullopt;
    }
    const tagAppInfo* info = list.Find(name);
    return info != nullptr ? std::optional<tagAppInfo>(*info) : std::nullopt;
}

QStringList Rows(const QAbstractItemModel& model) {
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        rows << model.index(row, 0).data().toString();
    }
    return rows;
}

} // namespace

class PageApplicationTest : public ConsoleTest {
protected:
    CDlgPageAppliction& OpenPage() {
        user_login_message::tagAccountInfo account;
        account.nAccount = 12345;
        account.strPassword = "secret";
        account.strUserName = "12345";
        StoreAccount(account, "parent");
        CWarrowTrayDlg& main = *StartConsole().MainWindow();
        main.SelectPage(1);
        m_tester = std::make_unique<QAbstractItemModelTester>(
            main.ApplicationPage()->Model(), QAbstractItemModelTester::FailureReportingMode::Warning);
        return *main.ApplicationPage();
    }

    // Drops the files on the list as a file manager does, proposing `action`;
    // returns the action the page accepted.
    Qt::DropAction Drop(CDlgPageAppliction& page, const std::vector<fs::path>& files, Qt::DropAction action) {
        QMimeData data;
        QList<QUrl> urls;
        for (const fs::path& file : files) {
            urls << QUrl::fromLocalFile(QString::fromStdString(file.string()));
        }
        data.setUrls(urls);
        QWidget* target = page.List()->viewport();
        const QPointF at(20, 20);
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &data,
                              Qt::LeftButton, Qt::NoModifier);
        enter.setDropAction(action);
        QCoreApplication::sendEvent(target, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &data, Qt::LeftButton,
                        Qt::NoModifier);
        drop.setDropAction(action);
        QCoreApplication::sendEvent(target, &drop);
        return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
    }

    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

TEST_F(PageApplicationTest, ADroppedLauncherWithArgumentsIsStoredAsTheShellStartsItAndOtherFilesAddNothing) {
    CDlgPageAppliction& page = OpenPage();
    EXPECT_EQ(Rows(*page.Model()),
              (QStringList{QStringLiteral("儿童浏览器"), QStringLiteral("双击这里开始添加")}));
    const fs::path game = MakeProgram(m_folder / "games/x");
    Write(m_folder / "menu/x.desktop",
          "[Desktop Entry]\nType=Application\nName=小游戏\nExec=" + game.string() +
              " -w %f\nPath=" + (m_folder / "games").string() + "\nIcon=x-game\n");
    Write(m_folder / "notes.txt", "not a program");
    fs::create_directories(m_folder / "a-folder");

    // A move proposed by the file manager is taken as a copy, so the source stays where it was.
    EXPECT_EQ(Drop(page,
                   {m_folder / "notes.txt", m_folder / "menu/x.desktop", m_folder / "a-folder",
                    m_folder / "missing"},
                   Qt::MoveAction),
              Qt::CopyAction);
    const auto stored = Stored("x");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->AppPath, fs::canonical(m_folder / "games").string() + "/");
    EXPECT_EQ(stored->Name, "小游戏");
    EXPECT_EQ(stored->AppParam, "-w");
    EXPECT_EQ(stored->Icon, "");
    EXPECT_FALSE(Stored("notes.txt").has_value());
    EXPECT_FALSE(Stored("a-folder").has_value());
    EXPECT_EQ(Rows(*page.Model()), (QStringList{QStringLiteral("儿童浏览器"), QStringLiteral("小游戏"),
                                                QStringLiteral("双击这里开始添加")}));
    EXPECT_TRUE(console::ShownMessageBoxes().empty()) << "nothing is said about what was not added";

    // The add row's dialog adds a plain executable under its own name.
    const fs::path paint = MakeProgram(m_folder / "tools/paint");
    CDlgPageAppliction::SetNextFileAnswer(QString::fromStdString(paint.string()));
    const QModelIndex addRow = page.Model()->index(page.Model()->rowCount() - 1, 0);
    // Activating the row (a double click, or Enter on it) opens the dialog.
    emit page.List()->activated(addRow);
    const auto added = Stored("paint");
    ASSERT_TRUE(added.has_value());
    EXPECT_EQ(added->Name, "paint");
    EXPECT_EQ(added->AppParam, "");
    EXPECT_EQ(page.Model()->rowCount(), 4);
}

TEST_F(PageApplicationTest, EntriesWithAnIconTextStayAllowedButAreNotListed) {
    CWriteListMng list;
    ASSERT_TRUE(list.Init(kDataBasePath, kDataBasePassword));
    tagAppInfo hidden{"helper", "/opt/helper/", "hidden", "Helper", ""};
    list.Add(hidden.AppName.c_str(), hidden, true);
    CDlgPageAppliction& page = OpenPage();
    EXPECT_FALSE(Rows(*page.Model()).contains(QStringLiteral("Helper")));
    EXPECT_TRUE(Stored("helper").has_value());
}

TEST_F(PageApplicationTest, RemovingTakesSelectedProgramsButNeverTheBrowserOrTheAddRow) {
    CDlgPageAppliction& page = OpenPage();
    page.Model()->AddFiles(
        {MakeProgram(m_folder / "a/chess").string(), MakeProgram(m_folder / "a/paint").string()});
    // Name order of the programs' files, as the allow-list keeps them.
    ASSERT_EQ(Rows(*page.Model()),
              (QStringList{QStringLiteral("儿童浏览器"), QStringLiteral("chess"), QStringLiteral("paint"),
                           QStringLiteral("双击这里开始添加")}));
    page.List()->selectAll();
    QTest::keyClick(page.List(), Qt::Key_Delete);
    EXPECT_FALSE(Stored("chess").has_value());
    EXPECT_FALSE(Stored("paint").has_value());
    EXPECT_TRUE(Stored("WarrowExplorer").has_value());
    EXPECT_EQ(Rows(*page.Model()),
              (QStringList{QStringLiteral("儿童浏览器"), QStringLiteral("双击这里开始添加")}))
        << "the browser's row stays in view, as it stays allowed";

    // The context menu offers the same removal, and rebuilding by "排  序" changes nothing.
    QStringList actions;
    for (QAction* action : page.ContextMenu()->actions()) {
        actions << action->text();
    }
    // After them, past a separator, the program's daily limit and learning flag.
    EXPECT_EQ(actions, (QStringList{QStringLiteral("编  辑"), QStringLiteral("删  除"),
                                    QStringLiteral("排  序"), QString(), QStringLiteral("每天限时"),
                                    QStringLiteral("学习程序（单独使用时不计入娱乐时间）")}));
    page.List()->selectAll();
    page.ContextMenu()->actions().at(1)->trigger();
    page.ContextMenu()->actions().at(2)->trigger();
    EXPECT_EQ(page.Model()->rowCount(), 2);
}

TEST_F(PageApplicationTest, RenamingInPlaceRewritesTheEntryAndAnEmptyNameIsRefused) {
    CDlgPageAppliction& page = OpenPage();
    page.Model()->AddFiles({MakeProgram(m_folder / "a/chess").string()});
    page.List()->show();
    page.List()->setCurrentIndex(page.Model()->index(1, 0));
    page.ContextMenu()->actions().at(0)->trigger(); // "编  辑"
    auto* editor = page.List()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("国际象棋")); // typed text: keyClicks knows ASCII only
    QTest::keyClick(editor, Qt::Key_Return);
    // The editor hands its text over from the event loop.
    QTRY_VERIFY_WITH_TIMEOUT(Stored("chess").has_value() && Stored("chess")->Name == "国际象棋", 10000);
    EXPECT_EQ(Stored("chess")->AppPath, fs::canonical(m_folder / "a").string() + "/");

    EXPECT_FALSE(page.Model()->setData(page.Model()->index(1, 0), QStringLiteral("  "), Qt::EditRole));
    EXPECT_EQ(Stored("chess")->Name, "国际象棋");
    EXPECT_FALSE(page.Model()->setData(page.Model()->index(2, 0), QStringLiteral("x"), Qt::EditRole))
        << "the add row is no program";
}
