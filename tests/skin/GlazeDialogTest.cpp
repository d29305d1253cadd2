// The skinned dialog: size from its background, title, dragging, shape, keys.

#include "skin/CGlazeDialog.h"
#include "tests/skin/GlazeTestSupport.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

using namespace glazetest;

namespace {
const QColor kWhite(255, 255, 255);
const QColor kBlack(0, 0, 0);
const QColor kGreen(0, 160, 0);

void Mouse(QWidget& target, QEvent::Type type, QPoint local, Qt::MouseButtons held) {
    const QPoint global = target.mapToGlobal(local);
    QMouseEvent event(type, local, global, type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held,
                      Qt::NoModifier);
    QApplication::sendEvent(&target, &event);
}

// Presses at `from`, moves the cursor to `to` (both in the dialog's coordinates
// at the time of the press) and lets go; answers how far the window moved.
QPoint Drag(QWidget& dialog, QPoint from, QPoint to) {
    const QPoint before = dialog.pos();
    Mouse(dialog, QEvent::MouseButtonPress, from, Qt::LeftButton);
    Mouse(dialog, QEvent::MouseMove, to, Qt::LeftButton);
    Mouse(dialog, QEvent::MouseButtonRelease, to, Qt::NoButton);
    return dialog.pos() - before;
}

class ProbeDialog : public CGlazeDialog {
public:
    using CGlazeDialog::CGlazeDialog;
    using CGlazeDialog::GetOffsetX;
    using CGlazeDialog::GetOffsetY;
    using CGlazeDialog::GetSrcHeight;
    using CGlazeDialog::GetSrcWidth;
    using CGlazeDialog::Maxim;
    using CGlazeDialog::Normal;
    void OnOK() override { ++oks; }
    void OnCancel() override { ++cancels; }
    int oks = 0;
    int cancels = 0;
};
} // namespace

TEST(GlazeDialog, BackgroundSizesTheWindowAndOnlyTheTopRowsDragIt) {
    SkinFolder folder;
    ProbeDialog dialog;
    dialog.move(100, 100);
    ASSERT_TRUE(dialog.SetImage(folder.Bitmap(QStringLiteral("back.bmp"), 300, 200, kWhite).c_str()));
    EXPECT_EQ(dialog.size(), QSize(300, 200));
    EXPECT_EQ(dialog.pos(), QPoint(100, 100)) << "the top-left corner stays";
    EXPECT_EQ(dialog.GetSrcWidth(), 300);
    EXPECT_EQ(dialog.GetSrcHeight(), 200);
    EXPECT_EQ(dialog.GetDragRect(), QRect(0, 0, 300, 30));
    dialog.show();

    EXPECT_EQ(Drag(dialog, QPoint(10, 10), QPoint(40, 20)), QPoint(30, 10));
    EXPECT_EQ(Drag(dialog, QPoint(10, 29), QPoint(20, 25)), QPoint(10, -4));
    EXPECT_EQ(Drag(dialog, QPoint(10, 30), QPoint(40, 20)), QPoint(0, 0)) << "row 30 is below the drag area";
    EXPECT_EQ(Drag(dialog, QPoint(150, 150), QPoint(160, 20)), QPoint(0, 0));

    dialog.SetDragRect(QRect(0, 0, 300, 200));
    EXPECT_EQ(Drag(dialog, QPoint(150, 150), QPoint(160, 160)), QPoint(10, 10));
    // A new background brings the default drag area back.
    ASSERT_TRUE(dialog.SetImage(folder.Bitmap(QStringLiteral("back2.bmp"), 120, 80, kWhite).c_str()));
    EXPECT_EQ(dialog.GetDragRect(), QRect(0, 0, 120, 30));
    EXPECT_EQ(dialog.size(), QSize(120, 80));
}

TEST(GlazeDialog, AMissingBackgroundChangesNothingAndPaintsNoSkin) {
    SkinFolder folder;
    ProbeDialog dialog;
    dialog.resize(50, 40);
    EXPECT_FALSE(dialog.SetImage(folder.Missing(QStringLiteral("gone.bmp")).c_str()));
    EXPECT_EQ(dialog.size(), QSize(50, 40));
    EXPECT_TRUE(dialog.GetDragRect().isNull());
    ASSERT_TRUE(dialog.SetImage(folder.Bitmap(QStringLiteral("green.bmp"), 60, 30, kGreen).c_str()));
    EXPECT_FALSE(dialog.SetImage(folder.Missing(QStringLiteral("gone.bmp")).c_str()));
    EXPECT_EQ(Count(Grab(dialog), kGreen), 60 * 30) << "a failed replacement keeps the old background";
}

TEST(GlazeDialog, TitleIsDrawnInTheDragAreaRightOfTheSmallIcon) {
    SkinFolder folder;
    const auto titleStart = [&](bool withIcon) {
        CGlazeDialog dialog;
        dialog.SetImage(folder.Bitmap(QStringLiteral("title.bmp"), 200, 60, kWhite).c_str());
        if (withIcon)
            dialog.SetSmallIcon(folder.Bitmap(QStringLiteral("icon.bmp"), 16, 16, kGreen).c_str());
        dialog.setFont(CrispFont(14));
        dialog.SetTextAlign(DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        dialog.setWindowTitle(QStringLiteral("HHH"));
        const QImage shot = Grab(dialog);
        if (withIcon) {
            EXPECT_EQ(Count(shot, kGreen, QRect(0, 0, 16, 16)), 256);
        }
        const QRect text = Bounds(shot, kBlack);
        EXPECT_LT(text.bottom(), 30) << "the title stays in the drag area";
        return text.left();
    };
    const int plain = titleStart(false);
    const int iconed = titleStart(true);
    EXPECT_LT(plain, 4);
    EXPECT_GE(iconed, 16);
    EXPECT_EQ(iconed - plain, 16);
}

TEST(GlazeDialog, TitleUsesTheDialogTextColourAndShadow) {
    SkinFolder folder;
    CGlazeDialog dialog;
    dialog.SetImage(folder.Bitmap(QStringLiteral("plain.bmp"), 200, 60, kWhite).c_str());
    dialog.setFont(CrispFont(14));
    dialog.SetTextColor(QColor(0x14, 0x4F, 0x7F));
    dialog.SetTextShadow(SHADOW_DROP, kGreen);
    EXPECT_EQ(Count(Grab(dialog), QColor(0x14, 0x4F, 0x7F), QRect(), 0), 0) << "no title without window text";
    dialog.setWindowTitle(QStringLiteral("Warrow"));
    const QImage shot = Grab(dialog);
    EXPECT_GT(Count(shot, QColor(0x14, 0x4F, 0x7F), QRect(), 0), 10);
    EXPECT_GT(Count(shot, kGreen, QRect(), 0), 0);
}

TEST(GlazeDialog, ColourKeyCutsTheKeyPixelsOutOfTheWindowShape) {
    SkinFolder folder;
    CGlazeDialog dialog;
    dialog.SetImage(folder
                        .Bitmap(QStringLiteral("round.bmp"), 40, 30, kWhite,
                                [](QImage& image) { QPainter(&image).fillRect(0, 0, 4, 4, kGlazeColorKey); })
                        .c_str());
    EXPECT_TRUE(dialog.mask().isEmpty()) << "an opaque dialog has no shape";
    dialog.SetLayeredWindowAttributes(kGlazeColorKey, 0, LWA_COLORKEY);
    const QRegion shape = dialog.mask();
    EXPECT_FALSE(shape.contains(QPoint(0, 0)));
    EXPECT_FALSE(shape.contains(QPoint(3, 3)));
    EXPECT_TRUE(shape.contains(QPoint(4, 0)));
    EXPECT_TRUE(shape.contains(QPoint(20, 15)));
    // Beyond the bitmap the window stays visible.
    dialog.show();
    dialog.resize(60, 30);
    EXPECT_TRUE(dialog.mask().contains(QPoint(50, 10)));
    EXPECT_FALSE(dialog.mask().contains(QPoint(1, 1)));

    dialog.SetLayeredWindowAttributes(QColor(), 128, LWA_ALPHA);
    EXPECT_TRUE(dialog.mask().isEmpty());
    EXPECT_NEAR(dialog.windowOpacity(), 128 / 255.0, 0.01);
}

TEST(GlazeDialog, EnterAndEscapeGoToTheDialogsOwnHandlers) {
    ProbeDialog dialog;
    dialog.resize(100, 100);
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Return);
    QTest::keyClick(&dialog, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.oks, 2);
    EXPECT_EQ(dialog.cancels, 1);
    // A close request is a cancel; a dialog that ignores cancels stays up.
    dialog.close();
    EXPECT_EQ(dialog.cancels, 2);
    EXPECT_TRUE(dialog.isVisible());

    CGlazeDialog plain;
    plain.show();
    QTest::keyClick(&plain, Qt::Key_Escape);
    EXPECT_FALSE(plain.isVisible());
    EXPECT_EQ(plain.result(), QDialog::Rejected);
}

TEST(GlazeDialog, MaximOffsetsFollowTheGrowthAndNormalPutsThemBack) {
    SkinFolder folder;
    ProbeDialog dialog;
    dialog.SetImage(folder.Bitmap(QStringLiteral("small.bmp"), 300, 200, kWhite).c_str());
    dialog.move(20, 30);
    dialog.show();
    const QRect area = dialog.screen()->availableGeometry();
    dialog.Maxim();
    EXPECT_EQ(dialog.geometry(), area);
    EXPECT_EQ(dialog.GetOffsetX(), area.width() - 300);
    EXPECT_EQ(dialog.GetOffsetY(), area.height() - 200);
    dialog.Normal();
    EXPECT_EQ(dialog.geometry(), QRect(20, 30, 300, 200));
    EXPECT_EQ(dialog.GetOffsetX(), 0);
    EXPECT_EQ(dialog.GetOffsetY(), 0);
}

TEST(GlazeDialog, APageInsideAnotherWindowIsAChildAndNeverDrags) {
    SkinFolder folder;
    CGlazeDialog window;
    window.SetImage(folder.Bitmap(QStringLiteral("main.bmp"), 200, 200, kWhite).c_str());
    auto* page = new CGlazeDialog(&window, Qt::Widget);
    page->SetImage(folder.Bitmap(QStringLiteral("page.bmp"), 100, 100, kGreen).c_str());
    page->move(50, 50);
    window.show();
    EXPECT_FALSE(page->isWindow());
    EXPECT_TRUE(page->isVisible());
    EXPECT_EQ(Drag(*page, QPoint(10, 10), QPoint(30, 20)), QPoint(0, 0));
    EXPECT_EQ(Count(Grab(window), kGreen), 100 * 100);
}
