// Buttons, check buttons, text buttons and statics: states, looks and input.

#include "skin/CGlazeButton.h"
#include "skin/CGlazeCheckButton.h"
#include "skin/CGlazeStatic.h"
#include "skin/CGlazeTextButton.h"
#include "tests/skin/GlazeTestSupport.h"

#include <QApplication>
#include <QEnterEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace glazetest;

namespace {
// One colour per state, so a picture of the button tells its state.
const QColor kLook[4] = {QColor(200, 0, 0), QColor(0, 0, 200), QColor(0, 200, 0), QColor(128, 128, 128)};
const QColor kBackdrop(250, 250, 210);

void Hover(QWidget& target) {
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), target.mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(&target, &enter);
}

void Leave(QWidget& target) {
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&target, &leave);
}

// State images of 30×20 in the state colours, each with a magenta corner.
struct StateImages {
    SkinFolder folder;
    std::string paths[4];
    StateImages() {
        for (int state = 0; state < 4; ++state)
            paths[state] =
                folder.Bitmap(QStringLiteral("state%1.bmp").arg(state), 30, 20, kLook[state],
                              [](QImage& image) { QPainter(&image).fillRect(0, 0, 3, 3, kGlazeColorKey); });
    }
    void Apply(CGlazeButton& button) const {
        for (int state = 0; state < 4; ++state)
            EXPECT_TRUE(button.SetImage(paths[state].c_str(), state));
    }
};

// The look the button shows now: the state colour that covers its middle.
int ShownLook(QWidget& backdrop, const CGlazeButton& button) {
    const QImage shot = Grab(backdrop);
    const QColor middle = shot.pixelColor(button.geometry().center());
    for (int state = 0; state < 4; ++state)
        if (Near(middle, kLook[state]))
            return state;
    return -1;
}
} // namespace

TEST(GlazeButton, StateImagesSizeTheButtonAndDrawWithTheColourKey) {
    StateImages images;
    Backdrop backdrop(kBackdrop);
    CGlazeButton button(&backdrop);
    button.setGeometry(40, 50, 80, 60);
    EXPECT_FALSE(button.SetImage(images.paths[0].c_str(), 4)) << "there is no state 4";
    EXPECT_EQ(button.size(), QSize(80, 60));
    EXPECT_FALSE(button.GetImage(3).IsLoad());

    EXPECT_TRUE(button.SetImage(images.paths[1].c_str(), 1));
    EXPECT_EQ(button.size(), QSize(80, 60)) << "only the normal image sizes the button";
    images.Apply(button);
    EXPECT_EQ(button.geometry(), QRect(40, 50, 30, 20));
    EXPECT_EQ(button.GetInitRect(), QRect(40, 50, 30, 20));

    const QImage shot = Grab(backdrop);
    EXPECT_EQ(shot.pixelColor(41, 51), kBackdrop) << "key pixels let the window show through";
    EXPECT_EQ(shot.pixelColor(50, 60), kLook[0]);

    // A normal image that cannot be read leaves the button usable at its size.
    CGlazeButton missing(&backdrop);
    missing.setGeometry(0, 0, 25, 25);
    EXPECT_FALSE(missing.SetImage(images.folder.Missing(QStringLiteral("none.bmp")).c_str(), 0));
    EXPECT_EQ(missing.size(), QSize(25, 25));
}

TEST(GlazeButton, AutoStretchFillsTheButtonAndKeepsItsRectangle) {
    StateImages images;
    Backdrop backdrop(kBackdrop);
    CGlazeButton button(&backdrop);
    button.setGeometry(10, 10, 72, 48);
    button.SetAutoStretch(true);
    images.Apply(button);
    EXPECT_EQ(button.geometry(), QRect(10, 10, 72, 48));
    EXPECT_EQ(button.GetInitRect(), QRect(10, 10, 72, 48));
    EXPECT_EQ(Count(Grab(backdrop), kLook[0], QRect(20, 20, 50, 30)), 50 * 30);
}

// A shown button with the four state images, and a count of its clicks.
class ShownButton : public ::testing::Test {
protected:
    ShownButton() {
        button.move(20, 20);
        images.Apply(button);
        backdrop.show();
    }
    StateImages images;
    Backdrop backdrop{kBackdrop};
    CGlazeButton button{&backdrop};
    QSignalSpy clicks{&button, &QAbstractButton::clicked};
};

TEST_F(ShownButton, MouseMovesTheStateThroughHoverPressedAndBack) {

    EXPECT_EQ(ShownLook(backdrop, button), 0);
    Hover(button);
    EXPECT_EQ(button.GetState(), CGlazeButton::STATE_HOVER);
    EXPECT_EQ(ShownLook(backdrop, button), 2);
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(button.GetState(), CGlazeButton::STATE_PRESSED);
    EXPECT_EQ(ShownLook(backdrop, button), 1);
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(button.GetState(), CGlazeButton::STATE_HOVER);
    EXPECT_EQ(clicks.count(), 1);
    Leave(button);
    EXPECT_EQ(button.GetState(), CGlazeButton::STATE_NORMAL);
    EXPECT_EQ(ShownLook(backdrop, button), 0);

    // A double click presses again and clicks once more.
    QTest::mouseDClick(&button, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicks.count(), 2);
}

TEST_F(ShownButton, ADisabledButtonIgnoresTheMouseAndKeepsItsDisabledLook) {
    button.SetDisable(1);
    EXPECT_EQ(button.GetState(), CGlazeButton::STATE_DISABLED);
    EXPECT_FALSE(button.isEnabled());
    Hover(button);
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseDClick(&button, Qt::LeftButton, {}, QPoint(10, 10));
    Leave(button);
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_EQ(button.GetState(), CGlazeButton::STATE_DISABLED);
    EXPECT_EQ(ShownLook(backdrop, button), 3);

    button.SetDisable(0);
    EXPECT_EQ(button.GetState(), CGlazeButton::STATE_NORMAL);
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicks.count(), 1);
}

TEST(GlazeButton, MoveModesShiftOrGrowTheInitialRectangle) {
    Backdrop backdrop(kBackdrop);
    CGlazeButton button(&backdrop);
    QRect start(100, 50, 40, 20);
    button.SetInitRect(start);
    button.Move(10, 5, 0);
    EXPECT_EQ(button.geometry(), QRect(110, 55, 40, 20));
    button.Move(10, 5, 1);
    EXPECT_EQ(button.geometry(), QRect(110, 50, 40, 25));
    button.Move(10, 5, 2);
    EXPECT_EQ(button.geometry(), QRect(100, 55, 50, 20));
    button.Move(-30, 0, 0);
    EXPECT_EQ(button.geometry(), QRect(70, 50, 40, 20)) << "always from the initial place, never cumulative";
}

TEST(GlazeButton, CaptionFrameAndCustomCursors) {
    StateImages images;
    Backdrop backdrop(kBackdrop);
    CGlazeButton button(&backdrop);
    images.Apply(button);
    button.resize(60, 30);
    button.setFont(CrispFont(16));
    button.setText(QStringLiteral("OK"));
    button.SetTextColor(QColor(255, 255, 255));
    button.ShowFrame(1);
    button.SetFrameColor(QColor(0, 0, 0));
    const QImage shot = Grab(button);
    EXPECT_GT(Count(shot, QColor(255, 255, 255), QRect(), 0), 10) << "the caption is drawn over the image";
    EXPECT_EQ(shot.pixelColor(59, 15), QColor(0, 0, 0)) << "the frame runs round the whole button";
    EXPECT_EQ(shot.pixelColor(30, 29), QColor(0, 0, 0));

    backdrop.show();
    button.SetUseNewCursor(QCursor(Qt::PointingHandCursor), QCursor(Qt::ClosedHandCursor));
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(button.cursor().shape(), Qt::ClosedHandCursor);
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(&button, QPoint(6, 6));
    EXPECT_EQ(button.cursor().shape(), Qt::PointingHandCursor);
}

TEST(GlazeCheckButton, CheckedLookIsThePressedImageUnlessDisabled) {
    StateImages images;
    Backdrop backdrop(kBackdrop);
    CGlazeCheckButton check(&backdrop);
    check.move(20, 20);
    images.Apply(check);
    backdrop.show();

    EXPECT_EQ(check.GetCheck(), 0);
    check.CheckButton(true);
    EXPECT_EQ(check.GetCheck(), 1);
    EXPECT_EQ(ShownLook(backdrop, check), 1);
    check.SetDisable(1);
    EXPECT_EQ(ShownLook(backdrop, check), 3);
    check.SetDisable(0);
    check.CheckButton(false);
    EXPECT_EQ(ShownLook(backdrop, check), 0);

    // Held down it does not look pressed, and it never toggles itself.
    QSignalSpy clicks(&check, &QAbstractButton::clicked);
    QTest::mousePress(&check, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(check.GetState(), CGlazeButton::STATE_NORMAL);
    EXPECT_EQ(ShownLook(backdrop, check), 0);
    QTest::mouseRelease(&check, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(check.GetCheck(), 0);
}

TEST(GlazeTextButton, CaptionTakesTheColourOfTheState) {
    Backdrop backdrop(kBackdrop);
    CGlazeTextButton link(&backdrop);
    link.setGeometry(10, 10, 80, 24);
    link.setFont(CrispFont(16));
    link.setText(QStringLiteral("[UP]"));
    link.SetText("kept apart");
    for (int state = 0; state < 4; ++state)
        link.SetTextColor(kLook[state], state);
    EXPECT_EQ(link.GetText(), QStringLiteral("kept apart"));

    const auto captionColours = [&] {
        const QImage shot = Grab(backdrop);
        int seen = 0;
        for (int state = 0; state < 4; ++state)
            seen |= Count(shot, kLook[state], QRect(10, 10, 80, 24), 0) > 0 ? (1 << state) : 0;
        return seen;
    };
    EXPECT_EQ(captionColours(), 1 << 0);
    link.SetDisable(1);
    EXPECT_EQ(captionColours(), 1 << 3);
    link.SetDisable(0);
    Hover(link);
    EXPECT_EQ(captionColours(), 1 << 2);
}

TEST(GlazeStatic, OwnTextIsDrawnWithoutTouchingTheWidgetText) {
    SkinFolder folder;
    Backdrop backdrop(kBackdrop);
    CGlazeStatic label(&backdrop);
    label.setText(QStringLiteral("from the template"));
    label.setGeometry(10, 10, 120, 40);
    label.setFont(CrispFont(16));
    label.SetFontColor(QColor(0x12, 0x52, 0x82));
    EXPECT_EQ(label.GetFormat(), unsigned(DT_VCENTER | DT_WORDBREAK));

    label.SetWindowTextA("瓦罗提示:");
    EXPECT_EQ(label.text(), QStringLiteral("from the template"));
    EXPECT_EQ(label.GetLabelText(), QStringLiteral("瓦罗提示:"));
    QImage shot = Grab(backdrop);
    EXPECT_GT(Count(shot, QColor(0x12, 0x52, 0x82), QRect(10, 10, 120, 40), 0), 20);
    EXPECT_EQ(Count(shot, QColor(0, 0, 0), QRect(10, 10, 120, 40), 0), 0)
        << "the template text is never painted";

    EXPECT_EQ(label.SetImage(folder.Bitmap(QStringLiteral("under.bmp"), 120, 40, kLook[2]).c_str()), 1);
    label.RememberRect();
    label.Move(5, 7);
    EXPECT_EQ(label.geometry(), QRect(15, 17, 120, 40));
    shot = Grab(backdrop);
    EXPECT_EQ(shot.pixelColor(15 + 110, 17 + 35), kLook[2]) << "the label's bitmap lies under its text";
    EXPECT_GT(Count(shot, QColor(0x12, 0x52, 0x82), QRect(15, 17, 120, 40), 0), 20);
}
