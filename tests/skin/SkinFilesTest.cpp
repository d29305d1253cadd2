// The skin bitmaps in the build's Resource/ folder: every file the catalog
// names is there, at its size, drawn the way skingen draws it now.

#include "tests/skin/QtAppEnvironment.h"
#include "tools/skingen/SkinCatalog.h"
#include "tools/skingen/SkinPaint.h"

#include <QGuiApplication>
#include <QImage>
#include <gtest/gtest.h>

namespace {

[[maybe_unused]] ::testing::Environment* const kGui = AddQtAppEnvironment<QGuiApplication>();

QString Root(const char* variable) {
    return QString::fromLocal8Bit(qgetenv(variable));
}

int KeyPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) == qRgb(255, 0, 255) ? 1 : 0;
    return count;
}

} // namespace

TEST(SkinFiles, EveryCatalogFileIsBuiltAtItsSizeAsSkingenDrawsIt) {
    const QString root = Root("WARROW_BINARY_DIR");
    ASSERT_FALSE(root.isEmpty());
    for (const skin::SkinFile& file : skin::SkinFiles()) {
        const QString path = root + QLatin1Char('/') + QString::fromStdString(file.path);
        const QImage built(path, "BMP");
        ASSERT_FALSE(built.isNull()) << "missing or unreadable: " << file.path;
        EXPECT_EQ(built.size(), QSize(file.width, file.height)) << file.path;
        EXPECT_FALSE(built.hasAlphaChannel()) << file.path;
        const QImage drawn = skin::RenderSkinFile(file);
        EXPECT_EQ(built.convertToFormat(QImage::Format_RGB32), drawn)
            << "stale or not deterministic: " << file.path;
        // Magenta marks what the colour key cuts away: only keyed files have it.
        if (file.keyed)
            EXPECT_GT(KeyPixels(drawn), 0) << file.path;
        else
            EXPECT_EQ(KeyPixels(drawn), 0) << file.path;
    }
}
