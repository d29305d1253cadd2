#include "tools/skingen/SkinPaint.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <algorithm>

namespace skin {
namespace {

const QColor kKey(255, 0, 255);

bool IsChildStyle(Style style) {
    return style < Style::ParentWindow;
}

// Lays the transparent artwork on `matte`. Keyed files turn pixels that are
// less than half covered into the key colour, so no pink fringe is left where
// the colour key cuts the shape out.
QImage Flatten(const QImage& art, const QColor& matte, bool keyed) {
    QImage out(art.size(), QImage::Format_RGB32);
    const QImage source = art.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < source.height(); ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < source.width(); ++x) {
            const int a = qAlpha(in[x]);
            if (keyed && a < 128) {
                line[x] = kKey.rgb();
                continue;
            }
            const auto blend = [a](int c, int m) { return (c * a + m * (255 - a) + 127) / 255; };
            QRgb pixel = qRgb(blend(qRed(in[x]), matte.red()), blend(qGreen(in[x]), matte.green()),
                              blend(qBlue(in[x]), matte.blue()));
            // The key colour itself must never appear inside a shape.
            if (keyed && pixel == kKey.rgb())
                pixel = qRgb(254, 0, 255);
            line[x] = pixel;
        }
    }
    return out;
}

QPointF At(const QRectF& r, qreal x, qreal y) {
    return {r.left() + x * r.width(), r.top() + y * r.height()};
}

QPainterPath Star(const QRectF& r, qreal inner) {
    QPainterPath path;
    const QPointF c = r.center();
    const qreal outer = r.width() / 2;
    for (int i = 0; i < 10; ++i) {
        const qreal angle = -M_PI / 2 + i * M_PI / 5;
        const qreal radius = (i % 2 == 0) ? outer : outer * inner;
        const QPointF point(c.x() + radius * std::cos(angle), c.y() + radius * std::sin(angle));
        if (i == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    path.closeSubpath();
    return path;
}

void ArrowArc(QPainter& p, const QRectF& r, const QColor& ink, qreal pen) {
    const QRectF ring =
        r.adjusted(r.width() * 0.22, r.height() * 0.22, -r.width() * 0.22, -r.height() * 0.22);
    p.setPen(QPen(ink, pen, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(ring, 90 * 16, -290 * 16);
    // Arrow head at the arc's start, pointing along it.
    const QPointF tip(ring.center().x(), ring.top());
    const qreal s = r.width() * 0.16;
    QPainterPath head;
    head.moveTo(tip + QPointF(-s * 0.9, -s));
    head.lineTo(tip + QPointF(s * 0.6, 0));
    head.lineTo(tip + QPointF(-s * 0.9, s));
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawPath(head);
}

} // namespace

namespace paint {

QColor Mix(const QColor& a, const QColor& b, qreal t) {
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t, a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t,
                            a.alphaF() + (b.alphaF() - a.alphaF()) * t);
}

QFont CaptionFont(int pixelSize, bool bold) {
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(pixelSize);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

void VerticalFill(QPainter& p, const QRectF& r, const QColor& top, const QColor& bottom) {
    QLinearGradient fill(r.topLeft(), r.bottomLeft());
    fill.setColorAt(0, top);
    fill.setColorAt(1, bottom);
    p.fillRect(r, fill);
}

void RoundBox(QPainter& p, const QRectF& r, qreal radius, const Tone& tone, qreal borderWidth) {
    QLinearGradient fill(r.topLeft(), r.bottomLeft());
    fill.setColorAt(0, tone.top);
    fill.setColorAt(1, tone.bottom);
    p.setBrush(fill);
    if (tone.border.isValid() && borderWidth > 0)
        p.setPen(QPen(tone.border, borderWidth));
    else
        p.setPen(Qt::NoPen);
    const qreal inset = borderWidth / 2;
    p.drawRoundedRect(r.adjusted(inset, inset, -inset, -inset), radius, radius);
}

void SoftShadow(QPainter& p, const QRectF& r, qreal radius, int spread, int alpha) {
    p.setPen(Qt::NoPen);
    for (int i = spread; i > 0; --i) {
        p.setBrush(QColor(0, 0, 0, alpha / spread));
        p.drawRoundedRect(r.adjusted(-i / 2.0, 0, i / 2.0, i), radius + i / 2.0, radius + i / 2.0);
    }
}

void Caption(QPainter& p, const QRectF& r, const QString& text, int pixelSize, const QColor& ink, bool bold,
             int align, const QColor& shadow) {
    p.setFont(CaptionFont(pixelSize, bold));
    if (shadow.isValid()) {
        p.setPen(shadow);
        p.drawText(r.translated(1, 1), align, text);
    }
    p.setPen(ink);
    p.drawText(r, align, text);
}

void DrawGlyph(QPainter& p, Glyph glyph, const QRectF& r, const QColor& ink, const QColor& paper) {
    const qreal w = r.width();
    const qreal pen = std::max<qreal>(1.6, w / 8.5);
    const QPen line(ink, pen, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(line);
    p.setBrush(Qt::NoBrush);
    switch (glyph) {
    case Glyph::None:
        break;
    case Glyph::Close:
        p.drawLine(At(r, 0.25, 0.25), At(r, 0.75, 0.75));
        p.drawLine(At(r, 0.75, 0.25), At(r, 0.25, 0.75));
        break;
    case Glyph::Minimise:
        p.drawLine(At(r, 0.25, 0.68), At(r, 0.75, 0.68));
        break;
    case Glyph::Back:
    case Glyph::Forward: {
        const bool back = glyph == Glyph::Back;
        const auto x = [back](qreal v) { return back ? v : 1 - v; };
        p.drawLine(At(r, x(0.76), 0.5), At(r, x(0.26), 0.5));
        p.drawPolyline(QPolygonF({At(r, x(0.48), 0.26), At(r, x(0.25), 0.5), At(r, x(0.48), 0.74)}));
        break;
    }
    case Glyph::Refresh:
    case Glyph::Restart:
        ArrowArc(p, r, ink, pen);
        break;
    case Glyph::Stop:
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawRoundedRect(QRectF(At(r, 0.3, 0.3), At(r, 0.7, 0.7)), w * 0.06, w * 0.06);
        break;
    case Glyph::Speaker: {
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawPolygon(QPolygonF({At(r, 0.16, 0.38), At(r, 0.32, 0.38), At(r, 0.52, 0.2), At(r, 0.52, 0.8),
                                 At(r, 0.32, 0.62), At(r, 0.16, 0.62)}));
        p.setPen(line);
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(At(r, 0.46, 0.36), At(r, 0.74, 0.64)), -55 * 16, 110 * 16);
        p.drawArc(QRectF(At(r, 0.40, 0.22), At(r, 0.88, 0.78)), -55 * 16, 110 * 16);
        break;
    }
    case Glyph::Power:
        p.drawArc(QRectF(At(r, 0.22, 0.24), At(r, 0.78, 0.8)), 60 * 16, -300 * 16);
        p.drawLine(At(r, 0.5, 0.16), At(r, 0.5, 0.48));
        break;
    case Glyph::Exit:
        p.drawPolyline(QPolygonF({At(r, 0.5, 0.3), At(r, 0.5, 0.16), At(r, 0.18, 0.16), At(r, 0.18, 0.84),
                                  At(r, 0.5, 0.84), At(r, 0.5, 0.7)}));
        p.drawLine(At(r, 0.38, 0.5), At(r, 0.86, 0.5));
        p.drawPolyline(QPolygonF({At(r, 0.7, 0.34), At(r, 0.86, 0.5), At(r, 0.7, 0.66)}));
        break;
    case Glyph::Star:
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawPath(Star(r.adjusted(w * 0.06, w * 0.08, -w * 0.06, -w * 0.04), 0.45));
        break;
    case Glyph::Shield: {
        QPainterPath shield;
        shield.moveTo(At(r, 0.5, 0.1));
        shield.cubicTo(At(r, 0.65, 0.2), At(r, 0.8, 0.22), At(r, 0.86, 0.22));
        shield.cubicTo(At(r, 0.86, 0.62), At(r, 0.7, 0.8), At(r, 0.5, 0.92));
        shield.cubicTo(At(r, 0.3, 0.8), At(r, 0.14, 0.62), At(r, 0.14, 0.22));
        shield.cubicTo(At(r, 0.2, 0.22), At(r, 0.35, 0.2), At(r, 0.5, 0.1));
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawPath(shield);
        p.setPen(QPen(paper, pen, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({At(r, 0.34, 0.5), At(r, 0.46, 0.62), At(r, 0.67, 0.38)}));
        break;
    }
    case Glyph::Lock:
        p.drawArc(QRectF(At(r, 0.3, 0.14), At(r, 0.7, 0.62)), 0, 180 * 16);
        p.drawLine(At(r, 0.3, 0.38), At(r, 0.3, 0.48));
        p.drawLine(At(r, 0.7, 0.38), At(r, 0.7, 0.48));
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawRoundedRect(QRectF(At(r, 0.2, 0.44), At(r, 0.8, 0.88)), w * 0.08, w * 0.08);
        p.setBrush(paper);
        p.drawEllipse(At(r, 0.5, 0.62), w * 0.07, w * 0.07);
        p.drawRect(QRectF(At(r, 0.48, 0.64), At(r, 0.52, 0.76)));
        break;
    case Glyph::Gear: {
        QPainterPath gear;
        const QPointF c = r.center();
        for (int i = 0; i < 8; ++i) {
            QPainterPath tooth;
            tooth.addRoundedRect(QRectF(-w * 0.09, -w * 0.42, w * 0.18, w * 0.2), w * 0.03, w * 0.03);
            QTransform turn;
            turn.translate(c.x(), c.y());
            turn.rotate(i * 45);
            gear.addPath(turn.map(tooth));
        }
        gear.addEllipse(c, w * 0.3, w * 0.3);
        gear.setFillRule(Qt::WindingFill);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawPath(gear.simplified());
        p.setBrush(paper);
        p.drawEllipse(c, w * 0.12, w * 0.12);
        break;
    }
    case Glyph::Clock:
        p.drawEllipse(QRectF(At(r, 0.14, 0.14), At(r, 0.86, 0.86)));
        p.drawLine(At(r, 0.5, 0.5), At(r, 0.5, 0.28));
        p.drawLine(At(r, 0.5, 0.5), At(r, 0.66, 0.58));
        break;
    case Glyph::List:
        for (const qreal y : {0.28, 0.5, 0.72}) {
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            p.drawEllipse(At(r, 0.2, y), w * 0.06, w * 0.06);
            p.setPen(line);
            p.drawLine(At(r, 0.36, y), At(r, 0.84, y));
        }
        break;
    case Glyph::Globe: {
        const QRectF ball(At(r, 0.14, 0.14), At(r, 0.86, 0.86));
        p.drawEllipse(ball);
        p.setPen(QPen(ink, pen * 0.7, Qt::SolidLine, Qt::RoundCap));
        p.drawEllipse(QRectF(At(r, 0.34, 0.14), At(r, 0.66, 0.86)));
        p.drawLine(At(r, 0.14, 0.5), At(r, 0.86, 0.5));
        p.drawLine(At(r, 0.5, 0.14), At(r, 0.5, 0.86));
        break;
    }
    case Glyph::Wand:
        p.drawLine(At(r, 0.18, 0.84), At(r, 0.6, 0.42));
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawPath(Star(QRectF(At(r, 0.5, 0.1), At(r, 0.9, 0.5)), 0.42));
        p.drawEllipse(At(r, 0.24, 0.24), w * 0.05, w * 0.05);
        p.drawEllipse(At(r, 0.84, 0.74), w * 0.04, w * 0.04);
        break;
    case Glyph::Apps:
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        for (const qreal x : {0.16, 0.54})
            for (const qreal y : {0.16, 0.54})
                p.drawRoundedRect(QRectF(At(r, x, y), At(r, x + 0.3, y + 0.3)), w * 0.07, w * 0.07);
        break;
    case Glyph::Folder: {
        QPainterPath folder;
        folder.moveTo(At(r, 0.12, 0.26));
        folder.lineTo(At(r, 0.42, 0.26));
        folder.lineTo(At(r, 0.5, 0.34));
        folder.lineTo(At(r, 0.88, 0.34));
        folder.lineTo(At(r, 0.88, 0.8));
        folder.lineTo(At(r, 0.12, 0.8));
        folder.closeSubpath();
        p.setPen(QPen(ink, pen * 0.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(ink);
        p.drawPath(folder);
        p.setPen(QPen(paper, pen * 0.6));
        p.drawLine(At(r, 0.14, 0.42), At(r, 0.86, 0.42));
        break;
    }
    case Glyph::Play:
        p.drawEllipse(QRectF(At(r, 0.12, 0.12), At(r, 0.88, 0.88)));
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawPolygon(QPolygonF({At(r, 0.42, 0.32), At(r, 0.7, 0.5), At(r, 0.42, 0.68)}));
        break;
    case Glyph::Tree:
        p.drawLine(At(r, 0.2, 0.25), At(r, 0.8, 0.25));
        p.drawLine(At(r, 0.4, 0.5), At(r, 0.8, 0.5));
        p.drawLine(At(r, 0.4, 0.75), At(r, 0.8, 0.75));
        break;
    case Glyph::Moon: {
        QPainterPath moon;
        moon.addEllipse(QRectF(At(r, 0.1, 0.1), At(r, 0.9, 0.9)));
        QPainterPath bite;
        bite.addEllipse(QRectF(At(r, 0.32, 0.0), At(r, 1.05, 0.78)));
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawPath(moon.subtracted(bite));
        break;
    }
    }
    p.restore();
}

} // namespace paint

QImage RenderSkinFile(const SkinFile& file) {
    QImage art(file.width, file.height, QImage::Format_ARGB32_Premultiplied);
    art.fill(Qt::transparent);
    QColor matte;
    {
        QPainter p(&art);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        if (IsChildStyle(file.style)) {
            PaintKid(p, file);
            matte = MatteKid(file.style);
        } else {
            PaintParent(p, file);
            matte = MatteParent(file.style);
        }
    }
    return Flatten(art, matte, file.keyed);
}

} // namespace skin
