// Edits, sliders, tabs and the library's further controls.

#include "skin/CGlazeComboBox.h"
#include "skin/CGlazeEdit.h"
#include "skin/CGlazeMenu.h"
#include "skin/CGlazeProgressCtrl.h"
#include "skin/CGlazeSelHead.h"
#include "skin/CGlazeSliderCtrl.h"
#include "skin/CGlazeSliderCtrl2.h"
#include "skin/CGlazeTabCtrl.h"
#include "skin/CMyTree.h"
#include "skin/GlazeRichEditCtrl.h"
#include "skin/GlazeSkinFolder.h"
#include "tests/skin/GlazeTestSupport.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace glazetest;

namespace {
const QColor kBackdrop(250, 250, 210);
const QColor kRed(220, 30, 30);
const QColor kBlue(30, 30, 220);
const QColor kGreen(30, 180, 30);

// Runs a test body with the current directory set to a scratch folder.
class InFolder {
public:
    InFolder() : m_previous(QDir::currentPath()) { QDir::setCurrent(m_folder.Path()); }
    ~InFolder() { QDir::setCurrent(m_previous); }
    SkinFolder& Folder() { return m_folder; }
    void Write(const QString& name, const QByteArray& text) {
        QFile file(m_folder.Path() + QLatin1Char('/') + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

private:
    SkinFolder m_folder;
    QString m_previous;
};
} // namespace

TEST(GlazeSliderCtrl2, WithoutImagesDrawsNothingYetStillMoves) {
    Backdrop backdrop(kBackdrop);
    CGlazeSliderCtrl2 slider(Qt::Vertical, &backdrop);
    slider.setRange(0, 2);
    slider.setTickPosition(QSlider::TicksBothSides);
    slider.setGeometry(10, 10, 33, 89);
    slider.SetImage("/nonexistent/thumb.bmp", "/nonexistent/channel.bmp");
    backdrop.show();
    EXPECT_EQ(Count(Grab(backdrop), kBackdrop, QRect(10, 10, 33, 89), 0), 33 * 89)
        << "no channel, thumb or ticks";

    slider.setFocus();
    QTest::keyClick(&slider, Qt::Key_Down);
    EXPECT_EQ(slider.value(), 1) << "down moves away from the top position";
    QTest::keyClick(&slider, Qt::Key_End);
    EXPECT_EQ(slider.value(), 2);
    QTest::keyClick(&slider, Qt::Key_Up);
    EXPECT_EQ(slider.value(), 1);
    const QRect thumb = slider.GetThumbRect();
    QTest::mousePress(&slider, Qt::LeftButton, {}, thumb.center());
    QTest::mouseMove(&slider, QPoint(thumb.center().x(), 2));
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(thumb.center().x(), 2));
    EXPECT_EQ(slider.value(), 0) << "the thumb dragged to the top is the lowest position";
}

TEST(GlazeSliderCtrl2, DrawsTheChannelOverTheControlAndTheThumbAtItsPlace) {
    SkinFolder folder;
    Backdrop backdrop(kBackdrop);
    CGlazeSliderCtrl2 slider(Qt::Vertical, &backdrop);
    slider.setRange(0, 2);
    slider.setGeometry(0, 0, 33, 89);
    slider.SetImage(folder.Bitmap(QStringLiteral("thumb.bmp"), 40, 40, kRed).c_str(),
                    folder.Bitmap(QStringLiteral("channel.bmp"), 33, 89, kBlue).c_str());
    const QRect top = slider.GetThumbRect();
    EXPECT_LT(top.top(), 20) << "position 0 sits at the top";
    QImage shot = Grab(backdrop);
    EXPECT_EQ(Count(shot, kRed, QRect(0, 0, 33, 89)), top.width() * top.height());
    EXPECT_EQ(Count(shot, kBlue, QRect(0, 0, 33, 89)), 33 * 89 - top.width() * top.height());
    slider.setValue(2);
    EXPECT_GT(slider.GetThumbRect().top(), 60);
    shot = Grab(backdrop);
    EXPECT_EQ(shot.pixelColor(slider.GetThumbRect().center()), kRed);
    EXPECT_EQ(shot.pixelColor(top.center()), kBlue);
}

TEST(GlazeEdit, SkinOrColourBecomesTheBackgroundAndAMissingSkinKeepsIt) {
    SkinFolder folder;
    Backdrop backdrop(kBackdrop);
    CGlazeEdit edit(&backdrop);
    edit.setGeometry(10, 10, 141, 21);
    edit.SetColor(kRed);
    EXPECT_FALSE(edit.SetImage(folder.Missing(QStringLiteral("gone.bmp")).c_str()));
    EXPECT_EQ(edit.GetBackgroundBrush().style(), Qt::SolidPattern);
    EXPECT_EQ(edit.GetBackgroundBrush().color(), kRed);
    EXPECT_EQ(Grab(backdrop).pixelColor(140, 28), kRed);

    ASSERT_TRUE(edit.SetImage(folder.Bitmap(QStringLiteral("field.bmp"), 141, 21, kGreen).c_str()));
    EXPECT_EQ(edit.GetBackgroundBrush().style(), Qt::TexturePattern);
    EXPECT_FALSE(edit.hasFrame());
    EXPECT_EQ(Grab(backdrop).pixelColor(140, 28), kGreen);
    EXPECT_FALSE(edit.SetImage(folder.Missing(QStringLiteral("gone.bmp")).c_str()));
    EXPECT_EQ(edit.GetBackgroundBrush().style(), Qt::TexturePattern);

    // Typing repaints the skin under the text.
    edit.setText(QStringLiteral("secret"));
    edit.clear();
    EXPECT_EQ(Count(Grab(backdrop), kGreen, QRect(10, 10, 141, 21), 0), 141 * 21);
}

TEST(GlazeTabCtrl, KeepsOneImagePerTabAndState) {
    SkinFolder folder;
    CGlazeTabCtrl tabs;
    tabs.addTab(QStringLiteral("空白页"));
    tabs.addTab(QStringLiteral("新建选项卡"));
    EXPECT_EQ(tabs.SetItemImage(0, 0, folder.Missing(QStringLiteral("none.bmp")).c_str()), 0);
    EXPECT_EQ(tabs.GetItemImage(0, 0), nullptr);
    EXPECT_EQ(tabs.SetItemImage(0, 0, folder.Bitmap(QStringLiteral("a.bmp"), 10, 10, kRed).c_str()), 1);
    EXPECT_EQ(tabs.SetItemImage(0, 0, folder.Bitmap(QStringLiteral("b.bmp"), 12, 10, kBlue).c_str()), 1);
    ASSERT_NE(tabs.GetItemImage(0, 0), nullptr);
    EXPECT_EQ(tabs.GetItemImage(0, 0)->GetWidth(), 12) << "a second image replaces the first";
    EXPECT_EQ(tabs.GetItemImage(1, 0), nullptr);
    EXPECT_EQ(tabs.palette().color(QPalette::Window), QColor(Qt::white));
}

TEST(GlazeSkinFolder, ReadsChattoolSkinFromTheConfigFileOfTheCurrentFolder) {
    InFolder here;
    EXPECT_EQ(GlazeSkinFolder(), "") << "no file";
    EXPECT_EQ(GlazeSkinFile("Combobox.bmp"), "") << "no folder, no file at the root of the disk";
    // The suite's file is Config.ini; the library asks for config.ini.
    here.Write(QStringLiteral("Config.ini"),
               "[System]\nID=12\n[ChatTool]\n Skin = \"Resource/chat\" \nskin=second\n");
    EXPECT_EQ(GlazeSkinFolder(), "Resource/chat");
    EXPECT_EQ(GlazeSkinFile("Combobox.bmp"), "Resource/chat/Combobox.bmp");
    here.Write(QStringLiteral("Config.ini"), "[chattool]\nskin=" + QByteArray(70, 'a') + "\n");
    EXPECT_EQ(GlazeSkinFolder(), std::string(63, 'a')) << "at most 63 characters";
    here.Write(QStringLiteral("Config.ini"), "[chattool]\nskin=" + QByteArray(62, 'a') + "\xe7\x9a\xae\n");
    EXPECT_EQ(GlazeSkinFolder(), std::string(62, 'a')) << "never half a character";
    here.Write(QStringLiteral("Config.ini"), "[other]\nskin=x\n");
    EXPECT_EQ(GlazeSkinFolder(), "");
}

TEST(GlazeSkinFolder, ComboBoxAndProgressBarTakeTheirBitmapsFromIt) {
    InFolder here;
    CGlazeComboBox plainCombo;
    CGlazeProgressCtrl plainBar;
    EXPECT_FALSE(plainCombo.HasFace());
    EXPECT_FALSE(plainBar.HasImages());

    QDir(here.Folder().Path()).mkdir(QStringLiteral("chat"));
    here.Folder().Bitmap(QStringLiteral("chat/Combobox.bmp"), 60, 20, kRed);
    here.Folder().Bitmap(QStringLiteral("chat/Process_Bar.bmp"), 10, 10, kBlue);
    for (const char* block : {"Process_Block1.bmp", "Process_Block2.bmp", "Process_Block3.bmp"})
        here.Folder().Bitmap(QStringLiteral("chat/") + QString::fromUtf8(block), 4, 10, kGreen);
    here.Write(QStringLiteral("config.ini"), "[chattool]\nskin=chat\n");
    CGlazeComboBox combo;
    combo.resize(60, 20);
    EXPECT_TRUE(combo.HasFace());
    EXPECT_EQ(Grab(combo).pixelColor(58, 2), kRed);

    CGlazeProgressCtrl bar;
    bar.resize(100, 10);
    bar.setRange(0, 100);
    bar.setValue(50);
    ASSERT_TRUE(bar.HasImages());
    const QImage shot = Grab(bar);
    EXPECT_EQ(shot.pixelColor(25, 5), kGreen);
    EXPECT_EQ(shot.pixelColor(75, 5), kBlue);
}

TEST(GlazeRichEditCtrl, FacesTravelAsCodesAndShowAsPictures) {
    SkinFolder folder;
    const std::string smile = folder.Bitmap(QStringLiteral("smile.bmp"), 16, 16, kRed);
    EXPECT_TRUE(GlazeRichEditCtrl::AddFace(QStringLiteral("wx"), QString::fromStdString(smile)));
    EXPECT_TRUE(GlazeRichEditCtrl::AddFace(QStringLiteral("wxy"), QString::fromStdString(smile)));
    EXPECT_FALSE(
        GlazeRichEditCtrl::AddFace(QStringLiteral("no"), folder.Path() + QStringLiteral("/none.bmp")));

    GlazeRichEditCtrl chat;
    chat.RecMS(QStringLiteral("hi /wxy and /wx/wx, /no face"));
    EXPECT_EQ(chat.SendMS(), QStringLiteral("hi /wxy and /wx/wx, /no face"));
    EXPECT_EQ(chat.toPlainText().count(QChar::ObjectReplacementCharacter), 3);
    EXPECT_FALSE(chat.InsertFace(QStringLiteral("unknown")));
    EXPECT_TRUE(chat.InsertFace(QStringLiteral("wx")));
    EXPECT_TRUE(chat.SendMS().endsWith(QStringLiteral("/wx")));

    chat.setGeometry(0, 0, 100, 50);
    chat.Stretch(20, 30);
    chat.Stretch(10, 10);
    EXPECT_EQ(chat.geometry(), QRect(0, 0, 110, 60));
    chat.Normal();
    EXPECT_EQ(chat.geometry(), QRect(0, 0, 100, 50));
}

TEST(CMyTree, BlinkingItemsMayBeDeletedWhileTheyBlink) {
    SkinFolder folder;
    CMyTree tree;
    tree.Init();
    const int icon = tree.AddImage(folder.Bitmap(QStringLiteral("icon.bmp"), 16, 16, kRed).c_str());
    EXPECT_EQ(icon, 0);
    EXPECT_EQ(tree.AddImage(folder.Missing(QStringLiteral("none.bmp")).c_str()), -1);
    QTreeWidgetItem* root = tree.InsertItem(QStringLiteral("folder"), nullptr, icon);
    QTreeWidgetItem* leaf = tree.InsertItem(QStringLiteral("page"), root, icon);
    tree.SetItemTextColor(leaf, kBlue);
    EXPECT_EQ(leaf->foreground(0).color(), kBlue);
    tree.SetBeginShock(leaf);
    tree.SetBeginShock(root);
    EXPECT_TRUE(tree.IsShocking(leaf));
    delete leaf;
    auto* blink = tree.findChild<QTimer*>(QStringLiteral("shock"));
    ASSERT_NE(blink, nullptr);
    blink->setInterval(1);
    QSignalSpy blinks(blink, &QTimer::timeout);
    for (int i = 0; i < 1000 && blinks.count() < 5; ++i) {
        blinks.wait(10);
    }
    ASSERT_GE(blinks.count(), 5) << "several blinks passed over the deleted item";
    EXPECT_TRUE(tree.IsShocking(root));
    tree.SetStopShock(root);
    EXPECT_FALSE(tree.IsShocking(root));
    EXPECT_FALSE(root->icon(0).isNull()) << "the icon is back after blinking";
}

TEST(GlazeMenuAndHeads, CarryCommandsAndPictureNames) {
    SkinFolder folder;
    const std::string picture = folder.Bitmap(QStringLiteral("head7.bmp"), 16, 16, kGreen);
    CGlazeMenu menu;
    QAction* open = menu.AppendCustomMenu(picture.c_str(), QStringLiteral("打开"), 32775);
    menu.AppendSeperator();
    menu.AppendCustomMenu(folder.Missing(QStringLiteral("none.bmp")).c_str(), QStringLiteral("关闭"), 32778);
    EXPECT_EQ(CGlazeMenu::CommandOf(open), 32775u);
    EXPECT_EQ(CGlazeMenu::CommandOf(nullptr), 0u);
    EXPECT_FALSE(open->icon().isNull());
    EXPECT_TRUE(menu.SetCustomItemBmp(2, picture.c_str()));
    EXPECT_FALSE(menu.SetCustomItemBmp(5, picture.c_str()));

    CGlazeSelHead heads;
    EXPECT_TRUE(heads.AddHead(picture.c_str()));
    EXPECT_EQ(heads.GetSelectedHead(), "");
    heads.item(0)->setSelected(true);
    EXPECT_EQ(heads.GetSelectedHead(), "head7.bmp");
}

TEST(CGlazeSliderCtrl, ReportsEachNewPositionOnce) {
    static std::vector<int> reported;
    reported.clear();
    CGlazeSliderCtrl slider;
    slider.resize(110, 10);
    slider.SetRange(10);
    slider.InitSlider([](int pos) { reported.push_back(pos); });
    slider.SetPos(20);
    EXPECT_EQ(slider.GetPos(), 10);
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(slider.GetPos(), 0);
    EXPECT_EQ(reported, std::vector<int>({0}));
    slider.SetDisable(true);
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(100, 5));
    EXPECT_EQ(slider.GetPos(), 0);
}
