#pragma once
// Helpers of the skin tests: a QApplication for the whole test program, skin
// bitmaps written to a scratch folder, and pixel probes.

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>
#include <functional>
#include <string>

namespace glazetest {

// A scratch folder whose bitmaps have paths unique to one test, so the
// process-wide bitmap cache never serves one test another test's file.
class SkinFolder {
public:
    SkinFolder();
    // Writes a w×h bitmap filled with `fill`; `paint` may draw on it first.
    std::string Bitmap(const QString& name, int w, int h, const QColor& fill,
                       const std::function<void(QImage&)>& paint = nullptr);
    std::string Missing(const QString& name) const;
    QString Path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

// A plain window of one colour that controls are placed on.
class Backdrop : public QWidget {
public:
    explicit Backdrop(const QColor& colour, QSize size = QSize(400, 300));
};

QImage Grab(QWidget& widget);
bool Near(QColor a, QColor b, int tolerance = 8);
// Number of pixels in `area` of `image` close to `colour`.
int Count(const QImage& image, const QColor& colour, QRect area = QRect(), int tolerance = 8);
// Bounding box of the pixels close to `colour`.
QRect Bounds(const QImage& image, const QColor& colour, int tolerance = 40);
// A font drawn without smoothing, so text pixels have exactly the pen colour.
QFont CrispFont(int pixelSize = 16);

} // namespace glazetest
