#pragma once
// Drawing of the skin bitmaps: shared helpers (shapes, captions, glyphs) and
// the recipes of the child and parent screens.

#include "tools/skingen/SkinCatalog.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRectF>
#include <QString>

class QPainter;

namespace skin {

// Renders one file: the recipe paints on a transparent canvas, then the result
// is laid on the colour found behind the control; keyed files keep magenta
// wherever the shape leaves the canvas (mostly) empty.
QImage RenderSkinFile(const SkinFile& file);

// Colours of one look of a control.
struct Tone {
    QColor top;
    QColor bottom;
    QColor border{}; // invalid: no border
    QColor ink{};    // invalid: no caption
};

namespace paint {

QFont CaptionFont(int pixelSize, bool bold);
void RoundBox(QPainter& p, const QRectF& r, qreal radius, const Tone& tone, qreal borderWidth = 1.0);
void VerticalFill(QPainter& p, const QRectF& r, const QColor& top, const QColor& bottom);
// A caption in the middle of `r` (or aligned by `align`), optionally with a one
// pixel drop shadow.
void Caption(QPainter& p, const QRectF& r, const QString& text, int pixelSize, const QColor& ink, bool bold,
             int align = Qt::AlignCenter, const QColor& shadow = QColor());
// A glyph filling the square box `r`; `paper` colours details cut into filled glyphs.
void DrawGlyph(QPainter& p, Glyph glyph, const QRectF& r, const QColor& ink, const QColor& paper = Qt::white);
// A soft shadow under a rounded shape.
void SoftShadow(QPainter& p, const QRectF& r, qreal radius, int spread, int alpha);
QColor Mix(const QColor& a, const QColor& b, qreal t);

} // namespace paint

// Recipes, drawn on a transparent canvas of the file's size.
void PaintKid(QPainter& p, const SkinFile& file);
void PaintParent(QPainter& p, const SkinFile& file);
// The colour behind a keyed control, used to settle its anti-aliased edge.
QColor MatteKid(Style style);
QColor MatteParent(Style style);

} // namespace skin
