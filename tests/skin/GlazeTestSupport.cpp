#include "tests/skin/GlazeTestSupport.h"

#include "tests/skin/QtAppEnvironment.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <gtest/gtest.h>

namespace {
[[maybe_unused]] ::testing::Environment* const kQt = AddQtAppEnvironment<QApplication>();
} // namespace

namespace glazetest {

SkinFolder::SkinFolder() = default;

std::string SkinFolder::Bitmap(const QString& name, int w, int h, const QColor& fill,
                               const std::function<void(QImage&)>& paint) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(fill);
    if (paint)
        paint(image);
    const QString path = m_dir.filePath(name);
    EXPECT_TRUE(image.save(path, "BMP")) << path.toStdString();
    return path.toStdString();
}

std::string SkinFolder::Missing(const QString& name) const {
    return m_dir.filePath(name).toStdString();
}

Backdrop::Backdrop(const QColor& colour, QSize size) {
    QPalette colours = palette();
    colours.setColor(QPalette::Window, colour);
    setPalette(colours);
    setAutoFillBackground(true);
    resize(size);
}

QImage Grab(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

bool Near(QColor a, QColor b, int tolerance) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

int Count(const QImage& image, const QColor& colour, QRect area, int tolerance) {
    if (area.isNull())
        area = image.rect();
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += Near(image.pixelColor(x, y), colour, tolerance) ? 1 : 0;
    return count;
}

QRect Bounds(const QImage& image, const QColor& colour, int tolerance) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (Near(image.pixelColor(x, y), colour, tolerance))
                box |= QRect(x, y, 1, 1);
    return box;
}

QFont CrispFont(int pixelSize) {
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(pixelSize);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

} // namespace glazetest
