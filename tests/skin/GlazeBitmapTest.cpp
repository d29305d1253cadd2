// The bitmap cache, bitmap drawing and text drawing of the skin library.

#include "skin/CGlazeBitmap.h"
#include "skin/CGlazeLoader.h"
#include "skin/CGlazeText.h"
#include "tests/skin/GlazeTestSupport.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace glazetest;

namespace {
const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kGreen(0, 160, 0);
const QColor kWhite(255, 255, 255);
const QColor kBlack(0, 0, 0);

QImage Canvas(int w, int h, const QColor& fill = kWhite) {
    QImage canvas(w, h, QImage::Format_RGB32);
    canvas.fill(fill);
    return canvas;
}
} // namespace

TEST(GlazeTypes, ColourTriplesPackRedInTheLowByte) {
    EXPECT_EQ(RGB(0x14, 0x4F, 0x7F), 0x7F4F14u);
    EXPECT_EQ(ToQColor(RGB(0x14, 0x4F, 0x7F)), QColor(0x14, 0x4F, 0x7F));
    EXPECT_EQ(ToColorRef(kGlazeColorKey), RGB(255, 0, 255));
}

TEST(GlazeLoader, ReadsEachPathOnceAndKeysItByItsExactSpelling) {
    SkinFolder folder;
    const std::string path = folder.Bitmap(QStringLiteral("skin.bmp"), 8, 4, kRed);
    folder.Bitmap(QStringLiteral("Skin.bmp"), 8, 4, kBlue);
    CGlazeLoader& cache = CGlazeLoader::Instance();

    EXPECT_EQ(cache.FindGlazeImage(path.c_str()), nullptr) << "finding never loads";
    const QPixmap* first = cache.LoadGlazeImage(path.c_str());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(cache.LoadGlazeImage(path.c_str()), first);
    EXPECT_EQ(cache.FindGlazeImage(path.c_str()), first);

    const std::string upper = folder.Path().toStdString() + "/Skin.bmp";
    const std::string dotted = folder.Path().toStdString() + "/./skin.bmp";
    const QPixmap* otherCase = cache.LoadGlazeImage(upper.c_str());
    const QPixmap* otherSpelling = cache.LoadGlazeImage(dotted.c_str());
    ASSERT_NE(otherCase, nullptr);
    ASSERT_NE(otherSpelling, nullptr);
    EXPECT_NE(otherCase, first);
    EXPECT_NE(otherSpelling, first) << "the same file under another spelling is a second copy";
    EXPECT_EQ(otherCase->toImage().pixelColor(0, 0), kBlue);
}

TEST(GlazeLoader, MissingFilesAreNotCachedAndClearingEmptiesTheCache) {
    SkinFolder folder;
    const std::string missing = folder.Missing(QStringLiteral("none.bmp"));
    CGlazeLoader& cache = CGlazeLoader::Instance();
    EXPECT_EQ(cache.LoadGlazeImage(missing.c_str()), nullptr);
    EXPECT_EQ(cache.LoadGlazeImage(nullptr), nullptr);
    EXPECT_EQ(cache.LoadGlazeImage(""), nullptr);

    // A file that appears later is read then.
    folder.Bitmap(QStringLiteral("none.bmp"), 2, 2, kRed);
    EXPECT_NE(cache.LoadGlazeImage(missing.c_str()), nullptr);

    CGlazeBitmap view;
    ASSERT_TRUE(view.LoadGlazeImage(missing.c_str()));
    cache.ClearGlazeImage();
    EXPECT_EQ(cache.FindGlazeImage(missing.c_str()), nullptr);
    // A view made before the cache was cleared keeps drawing its pixels.
    QImage canvas = Canvas(2, 2);
    QPainter p(&canvas);
    view.BitBlt(&p, 0, 0);
    p.end();
    EXPECT_EQ(canvas.pixelColor(1, 1), kRed);
}

TEST(GlazeBitmap, LoadsAWholeBitmapOrAPartAndFailsWithoutChange) {
    SkinFolder folder;
    const std::string path = folder.Bitmap(QStringLiteral("parts.bmp"), 20, 10, kRed, [](QImage& image) {
        QPainter(&image).fillRect(10, 0, 10, 10, kBlue);
    });
    CGlazeBitmap whole;
    EXPECT_FALSE(whole.IsLoad());
    ASSERT_TRUE(whole.LoadGlazeImage(path.c_str()));
    EXPECT_EQ(whole.GetWidth(), 20);
    EXPECT_EQ(whole.GetHeight(), 10);

    const QRect right(10, 0, 10, 10);
    CGlazeBitmap part;
    ASSERT_TRUE(part.LoadGlazeImage(path.c_str(), &right));
    EXPECT_FALSE(part.LoadGlazeImage(folder.Missing(QStringLiteral("x.bmp")).c_str()));
    EXPECT_TRUE(part.IsLoad());
    EXPECT_EQ(part.GetWidth(), 10);

    QImage canvas = Canvas(30, 10);
    QPainter p(&canvas);
    part.BitBlt(&p, 0, 0);
    p.end();
    EXPECT_EQ(canvas.pixelColor(5, 5), kBlue) << "only the chosen part is drawn";
    EXPECT_EQ(canvas.pixelColor(15, 5), kWhite);
}

TEST(GlazeBitmap, DrawsNothingWhenNotLoadedOrIntoAnEmptyRectangle) {
    SkinFolder folder;
    const std::string path = folder.Bitmap(QStringLiteral("red.bmp"), 4, 4, kRed);
    QImage canvas = Canvas(8, 8);
    QPainter p(&canvas);
    CGlazeBitmap empty;
    empty.BitBlt(&p, 0, 0, 4, 4);
    empty.StretchBlt(&p, QRect(0, 0, 8, 8));
    empty.TransparentBlt(&p, 0, 0, kGlazeColorKey);
    CGlazeBitmap red;
    ASSERT_TRUE(red.LoadGlazeImage(path.c_str()));
    red.StretchBlt(&p, QRect());
    red.BitBlt(nullptr, 0, 0);
    p.end();
    EXPECT_EQ(Count(canvas, kWhite), 64);

    QPainter again(&canvas);
    red.StretchBlt(&again, QRect(0, 0, 8, 8));
    again.end();
    EXPECT_EQ(Count(canvas, kRed), 64);
}

TEST(GlazeBitmap, TransparentCopyLeavesTheKeyOutAndCentresALargerSource) {
    SkinFolder folder;
    // 40×40: a blue ring around a red 10×10 centre; magenta in the top-left corner.
    const std::string path = folder.Bitmap(QStringLiteral("ring.bmp"), 40, 40, kBlue, [](QImage& image) {
        QPainter p(&image);
        p.fillRect(15, 15, 10, 10, kRed);
        p.fillRect(0, 0, 5, 5, kGlazeColorKey);
    });
    CGlazeBitmap ring;
    ASSERT_TRUE(ring.LoadGlazeImage(path.c_str()));

    QImage canvas = Canvas(60, 60, kGreen);
    QPainter p(&canvas);
    ring.TransparentBlt(&p, 0, 0, kGlazeColorKey);
    p.end();
    EXPECT_EQ(canvas.pixelColor(2, 2), kGreen) << "key pixels are not drawn";
    EXPECT_EQ(canvas.pixelColor(10, 2), kBlue);
    EXPECT_EQ(Count(canvas, kGlazeColorKey), 0);

    canvas.fill(kGreen);
    QPainter centred(&canvas);
    ring.TransparentBlt(&centred, QRect(30, 30, 10, 10), kGlazeColorKey);
    centred.end();
    EXPECT_EQ(Count(canvas, kRed, QRect(30, 30, 10, 10)), 100) << "the centre part fills the smaller target";
    EXPECT_EQ(Count(canvas, kRed), 100);
    EXPECT_EQ(Count(canvas, kBlue), 0);

    // A target larger than the source: drawn at its own size from the target's corner.
    canvas.fill(kGreen);
    QPainter large(&canvas);
    ring.TransparentBlt(&large, QRect(10, 10, 50, 50), kGlazeColorKey);
    large.end();
    EXPECT_EQ(canvas.pixelColor(12, 12), kGreen);
    EXPECT_EQ(canvas.pixelColor(30, 30), kRed);
    EXPECT_EQ(canvas.pixelColor(55, 55), kGreen);
}

TEST(GlazeDrawText, ShadowKindsAddOneOrFourOffsetCopies) {
    const auto draw = [](enTextShadow kind) {
        QImage canvas = Canvas(80, 40);
        QPainter p(&canvas);
        p.setFont(CrispFont(24));
        GlazeDrawText(&p, QStringLiteral("H"), QRect(20, 0, 60, 40), kBlack,
                      DT_LEFT | DT_VCENTER | DT_SINGLELINE, kind, kRed);
        return canvas;
    };
    const QImage none = draw(SHADOW_NONE);
    const QRect text = Bounds(none, kBlack);
    ASSERT_FALSE(text.isEmpty());
    EXPECT_EQ(Count(none, kRed), 0);

    const QImage drop = draw(SHADOW_DROP);
    EXPECT_EQ(Bounds(drop, kBlack), text) << "the text itself is drawn last, in place";
    const QRect dropShadow = Bounds(drop, kRed);
    EXPECT_EQ(dropShadow.right(), text.right() + 1);
    EXPECT_EQ(dropShadow.bottom(), text.bottom() + 1);
    EXPECT_GE(dropShadow.left(), text.left());
    EXPECT_GE(dropShadow.top(), text.top());

    const QImage outline = draw(SHADOW_OUTLINE);
    EXPECT_EQ(Bounds(outline, kRed), text.adjusted(-1, -1, 1, 1)) << "four diagonal copies surround the text";
    // The corners of "H" are stem ends: each diagonal copy shows beyond one of them.
    const QPoint beyond[] = {text.topLeft() + QPoint(-1, -1), text.topRight() + QPoint(1, -1),
                             text.bottomLeft() + QPoint(-1, 1), text.bottomRight() + QPoint(1, 1)};
    for (const QPoint& corner : beyond)
        EXPECT_TRUE(Near(outline.pixelColor(corner), kRed, 40)) << corner.x() << "," << corner.y();
    EXPECT_TRUE(Near(drop.pixelColor(beyond[3]), kRed, 40));
    EXPECT_EQ(drop.pixelColor(beyond[0]), kWhite);
}

TEST(GlazeDrawText, EmptyTextDrawsNothingAndWrappingTextStartsAtTheTop) {
    QImage canvas = Canvas(80, 80);
    QPainter p(&canvas);
    p.setFont(CrispFont(16));
    GlazeDrawText(&p, QString(), canvas.rect(), kBlack, DT_CENTER | DT_VCENTER | DT_SINGLELINE,
                  SHADOW_OUTLINE, kRed);
    EXPECT_EQ(Count(canvas, kWhite), 80 * 80);
    // Vertical centring applies to single lines only (the labels' format 20).
    GlazeDrawText(&p, QStringLiteral("H"), canvas.rect(), kBlack, DT_VCENTER | DT_WORDBREAK, SHADOW_NONE,
                  kRed);
    p.end();
    EXPECT_LT(Bounds(canvas, kBlack).top(), 20);
}
