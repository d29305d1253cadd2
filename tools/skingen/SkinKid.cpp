// The child screens: bright sky colours, round shapes, candy buttons.

#include "tools/skingen/SkinPaint.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

namespace skin {
namespace {

using namespace paint;

const QColor kBarTop(0x5C, 0xBC, 0xFF);
const QColor kBarBottom(0x1E, 0x7F, 0xE0);
const QColor kBarMid = Mix(kBarTop, kBarBottom, 0.5);
const QColor kCream(0xFF, 0xF8, 0xE7);
const QColor kOrange(0xFF, 0xA7, 0x26);
const QColor kInkBlue(0x14, 0x3A, 0x71);
const QColor kBandTop(0x6F, 0xD3, 0xFF);
const QColor kBandBottom(0x25, 0xA9, 0xEE);

QColor Candy(Glyph glyph) {
    switch (glyph) {
    case Glyph::Exit:
        return QColor(0xF0, 0x62, 0x92); // pink
    case Glyph::Restart:
        return QColor(0xFF, 0x98, 0x28); // orange
    case Glyph::Power:
        return QColor(0x7E, 0x57, 0xC2); // purple
    case Glyph::Back:
    case Glyph::Forward:
        return QColor(0xFF, 0xC1, 0x07); // yellow
    case Glyph::Refresh:
        return QColor(0x66, 0xBB, 0x6A); // green
    case Glyph::Stop:
        return QColor(0xEF, 0x53, 0x50); // red
    default:
        return QColor(0x42, 0xA5, 0xF5); // blue
    }
}

// A candy-coloured tone, brighter when the control is under the mouse or held.
Tone CandyTone(const QColor& base, Look look) {
    const bool lit = look == Look::Hover || look == Look::Pressed;
    const QColor top = lit ? base.lighter(135) : base.lighter(118);
    const QColor bottom = lit ? base : base.darker(108);
    return {top, bottom, base.darker(130), Qt::white};
}

void Gloss(QPainter& p, const QRectF& r, qreal radius) {
    QLinearGradient gloss(r.topLeft(), QPointF(r.left(), r.top() + r.height() * 0.55));
    gloss.setColorAt(0, QColor(255, 255, 255, 150));
    gloss.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(gloss);
    p.drawRoundedRect(r.adjusted(2, 1.5, -2, -r.height() * 0.45), radius * 0.8, radius * 0.8);
}

void Taskbar(QPainter& p, const QRectF& r) {
    VerticalFill(p, r, kBarTop, kBarBottom);
    p.fillRect(QRectF(r.left(), r.top(), r.width(), 2), QColor(0xB3, 0xE5, 0xFF));
    p.fillRect(QRectF(r.left(), r.bottom() - 1, r.width(), 1), QColor(0x15, 0x65, 0xC0));
}

void Cloud(QPainter& p, const QPointF& at, qreal size) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 235));
    p.drawEllipse(at, size, size * 0.62);
    p.drawEllipse(at + QPointF(size * 0.8, size * 0.12), size * 0.75, size * 0.5);
    p.drawEllipse(at + QPointF(-size * 0.8, size * 0.16), size * 0.68, size * 0.44);
    p.drawEllipse(at + QPointF(size * 0.2, -size * 0.4), size * 0.6, size * 0.5);
}

void Hill(QPainter& p, const QRectF& r, qreal top, qreal amplitude, qreal phase, const QColor& light,
          const QColor& dark) {
    QPainterPath hill;
    hill.moveTo(r.left(), r.bottom() + 1);
    for (int x = 0; x <= static_cast<int>(r.width()); x += 8)
        hill.lineTo(r.left() + x, top + amplitude * std::sin(phase + x / r.width() * 2.4 * M_PI));
    hill.lineTo(r.right() + 1, r.bottom() + 1);
    hill.closeSubpath();
    QLinearGradient fill(0, top - amplitude, 0, r.bottom());
    fill.setColorAt(0, light);
    fill.setColorAt(1, dark);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(hill);
}

void Desktop(QPainter& p, const QRectF& r) {
    VerticalFill(p, r, QColor(0x3F, 0xB6, 0xF2), QColor(0xC8, 0xEE, 0xFD));
    // sun with a soft glow and rays
    const QPointF sun(r.width() * 0.86, r.height() * 0.16);
    QRadialGradient glow(sun, r.width() * 0.16);
    glow.setColorAt(0, QColor(0xFF, 0xF5, 0x9D, 200));
    glow.setColorAt(1, QColor(0xFF, 0xF5, 0x9D, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(sun, r.width() * 0.16, r.width() * 0.16);
    p.setPen(QPen(QColor(0xFF, 0xD5, 0x4F), 7, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 12; ++i) {
        const qreal a = i * M_PI / 6;
        p.drawLine(sun + QPointF(std::cos(a), std::sin(a)) * 64,
                   sun + QPointF(std::cos(a), std::sin(a)) * 86);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xFF, 0xD5, 0x4F));
    p.drawEllipse(sun, 52, 52);
    // a rainbow low on the left, behind the hills
    const QColor bows[] = {QColor(0xEF, 0x53, 0x50), QColor(0xFF, 0xA7, 0x26), QColor(0xFF, 0xEE, 0x58),
                           QColor(0x66, 0xBB, 0x6A), QColor(0x42, 0xA5, 0xF5), QColor(0x7E, 0x57, 0xC2)};
    const QPointF bowCentre(r.width() * 0.3, r.height() * 0.86);
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 6; ++i) {
        QColor c = bows[i];
        c.setAlpha(150);
        p.setPen(QPen(c, 16, Qt::SolidLine, Qt::FlatCap));
        const qreal radius = 300 - i * 16;
        p.drawArc(QRectF(bowCentre.x() - radius, bowCentre.y() - radius, radius * 2, radius * 2), 0,
                  180 * 16);
    }
    Cloud(p, QPointF(r.width() * 0.58, r.height() * 0.2), 46);
    Cloud(p, QPointF(r.width() * 0.72, r.height() * 0.42), 34);
    Cloud(p, QPointF(r.width() * 0.42, r.height() * 0.36), 26);
    Hill(p, r, r.height() * 0.74, 26, 0.4, QColor(0xAE, 0xE5, 0x71), QColor(0x7C, 0xC5, 0x4E));
    Hill(p, r, r.height() * 0.84, 20, 2.2, QColor(0x8B, 0xD3, 0x5A), QColor(0x4C, 0xAF, 0x50));
    // flowers on the front hill
    const QColor petals[] = {QColor(0xFF, 0xFF, 0xFF), QColor(0xFF, 0xEB, 0x3B), QColor(0xF4, 0x8F, 0xB1)};
    for (int i = 0; i < 14; ++i) {
        const QPointF at(40 + i * 71 + (i % 3) * 9, r.height() * 0.9 + (i % 4) * 12);
        p.setBrush(petals[i % 3]);
        for (int k = 0; k < 5; ++k) {
            const qreal a = k * 2 * M_PI / 5;
            p.drawEllipse(at + QPointF(std::cos(a), std::sin(a)) * 5, 4, 4);
        }
        p.setBrush(QColor(0xFF, 0xA0, 0x00));
        p.drawEllipse(at, 3, 3);
    }
}

void Rest(QPainter& p, const QRectF& r, const SkinFile& file) {
    VerticalFill(p, r, QColor(0x2A, 0x36, 0x8F), QColor(0x5E, 0x72, 0xC8));
    // the band the remaining time is written in
    const QRectF band(0, 0, r.width(), 30);
    VerticalFill(p, band, QColor(0xFF, 0xFB, 0xEE), QColor(0xFF, 0xEC, 0xC2));
    p.fillRect(QRectF(0, 29, r.width(), 1), QColor(0xF5, 0xC2, 0x6B));
    // stars
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 26; ++i) {
        const qreal x = 18 + (i * 97) % 440;
        const qreal y = 46 + (i * 53) % 170;
        const qreal size = 3 + (i % 3) * 2;
        DrawGlyph(p, Glyph::Star, QRectF(x, y, size * 2, size * 2),
                  QColor(0xFF, 0xF5, 0xC0, 150 + (i % 4) * 25));
    }
    DrawGlyph(p, file.glyph, QRectF(r.width() - 150, 50, 110, 110), QColor(0xFF, 0xE0, 0x82));
    // a sleepy cloud with "Z"s
    Cloud(p, QPointF(140, 178), 40);
    p.setPen(QPen(QColor(0x5C, 0x6B, 0xC0), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(112, 170, 14, 8), 200 * 16, 140 * 16);
    p.drawArc(QRectF(148, 170, 14, 8), 200 * 16, 140 * 16);
    Caption(p, QRectF(186, 118, 60, 40), QStringLiteral("Z z z"), 20, QColor(255, 255, 255, 210), true);
    Hill(p, r, r.height() - 46, 10, 1.0, QColor(0x3F, 0x51, 0xB5), QColor(0x28, 0x35, 0x93));
    Caption(p, QRectF(0, r.height() - 40, r.width(), 34), QString::fromUtf8(file.caption.c_str()), 18,
            QColor(0xFF, 0xF8, 0xE1), true, Qt::AlignCenter, QColor(0x1A, 0x23, 0x7E));
}

void ExitPanel(QPainter& p, const QRectF& r) {
    // Opaque all over: the exit dialog is a plain window.
    p.fillRect(r, QColor(0xFF, 0xB7, 0x4D));
    VerticalFill(p, QRectF(0, 0, r.width(), 26), QColor(0xFF, 0xCC, 0x80), QColor(0xFF, 0xA7, 0x26));
    for (int i = 0; i < 7; ++i) { // confetti in the top band
        const QColor dots[] = {Qt::white, QColor(0xF0, 0x62, 0x92), QColor(0x42, 0xA5, 0xF5)};
        p.setPen(Qt::NoPen);
        p.setBrush(dots[i % 3]);
        p.drawEllipse(QPointF(18 + i * 40, 9 + (i % 2) * 7), 3.5, 3.5);
    }
    RoundBox(p, QRectF(6, 28, r.width() - 12, r.height() - 34), 14,
             {kCream, QColor(0xFF, 0xEE, 0xCC), QColor(0xF5, 0x9E, 0x2F)}, 2);
}

void KidButton(QPainter& p, const QRectF& r, const SkinFile& file) {
    const QColor base = file.style == Style::KidStartButton ? QColor(0x4C, 0xC2, 0x4A) : Candy(file.glyph);
    const Tone tone = CandyTone(base, file.look);
    const qreal radius = std::min(r.width(), r.height()) * 0.32;
    QRectF body = r.adjusted(3, 3, -3, -4);
    SoftShadow(p, body, radius, 3, 60);
    RoundBox(p, body, radius, tone, 1.5);
    Gloss(p, body, radius);
    if (file.look == Look::Hover || file.look == Look::Pressed) {
        p.setPen(QPen(QColor(255, 255, 255, 220), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(body.adjusted(2.5, 2.5, -2.5, -2.5), radius - 2, radius - 2);
    }
    const QString caption = QString::fromUtf8(file.caption.c_str());
    if (file.style == Style::KidStartButton) {
        DrawGlyph(p, file.glyph, QRectF(body.left() + 3, body.center().y() - 9, 18, 18),
                  QColor(0xFF, 0xEB, 0x3B));
        Caption(p, body.adjusted(18, 0, 0, 0), caption, 14, Qt::white, true, Qt::AlignCenter,
                base.darker(150));
        return;
    }
    const qreal icon = body.height() * 0.5;
    DrawGlyph(p, file.glyph, QRectF(body.center().x() - icon / 2, body.top() + 5, icon, icon), Qt::white,
              base);
    Caption(p, QRectF(body.left(), body.bottom() - 22, body.width(), 20), caption, 14, Qt::white, true,
            Qt::AlignCenter, base.darker(150));
}

void RoundIconButton(QPainter& p, const QRectF& r, const SkinFile& file, bool circle) {
    const QColor base = file.style == Style::KidVolumeButton ? QColor(0xFF, 0xCA, 0x28) : Candy(file.glyph);
    const Tone tone = CandyTone(base, file.look);
    const qreal side = std::min(r.width(), r.height()) - 2;
    const QRectF body = circle ? QRectF(r.center().x() - side / 2, r.center().y() - side / 2, side, side)
                               : r.adjusted(1, 1, -1, -1);
    const qreal radius = circle ? side / 2 : 6;
    RoundBox(p, body, radius, tone, 1.2);
    Gloss(p, body, radius);
    const QColor ink = file.style == Style::KidVolumeButton ? QColor(0x15, 0x65, 0xC0) : Qt::white;
    const qreal icon = side * 0.7;
    DrawGlyph(p, file.glyph, QRectF(body.center().x() - icon / 2, body.center().y() - icon / 2, icon, icon),
              ink, base);
}

void Clock(QPainter& p, const QRectF& r) {
    Taskbar(p, r);
    RoundBox(p, QRectF(22, 7, r.width() - 24, r.height() - 14), 16,
             {QColor(0x15, 0x6C, 0xC8), QColor(0x1A, 0x7A, 0xD8), QColor(0x9A, 0xD8, 0xFF)}, 1.5);
}

void TaskButton(QPainter& p, const QRectF& r, Look look) {
    Taskbar(p, r); // copied stretched, so it carries the bar around the tile
    const int alpha = look == Look::Pressed ? 0 : look == Look::Hover ? 110 : 55;
    const QRectF tile = r.adjusted(3, 3, -3, -3);
    if (look == Look::Pressed) {
        RoundBox(p, tile, 10, {QColor(0xFF, 0xE0, 0x82), QColor(0xFF, 0xB3, 0x00), QColor(0xFF, 0xF8, 0xE1)},
                 1.5);
        return;
    }
    RoundBox(p, tile, 10,
             {QColor(255, 255, 255, alpha + 30), QColor(255, 255, 255, alpha), QColor(255, 255, 255, 150)},
             1.2);
}

void BrowserHead(QPainter& p, const QRectF& r) {
    VerticalFill(p, r, kBandTop, kBandBottom);
    p.fillRect(QRectF(0, r.height() - 2, r.width(), 2), QColor(0x01, 0x88, 0xD1));
    // a cushion the back and forward buttons sit on
    RoundBox(p, QRectF(8, 4, 76, r.height() - 10), 18,
             {QColor(255, 255, 255, 120), QColor(255, 255, 255, 50), QColor(255, 255, 255, 170)}, 1.2);
}

} // namespace

QColor MatteKid(Style style) {
    switch (style) {
    case Style::KidStartButton:
    case Style::KidVolumeButton:
        return kBarMid;
    case Style::KidExitButton:
        return kCream;
    case Style::KidExitClose:
        return QColor(0xFF, 0xB9, 0x55);
    case Style::BrowserRoundButton:
    case Style::BrowserSquareButton:
        return Mix(kBandTop, kBandBottom, 0.4);
    default:
        return Qt::white;
    }
}

void PaintKid(QPainter& p, const SkinFile& file) {
    const QRectF r(0, 0, file.width, file.height);
    switch (file.style) {
    case Style::KidDesktop:
        Desktop(p, r);
        break;
    case Style::KidTaskbar:
        Taskbar(p, r);
        break;
    case Style::KidStartButton:
    case Style::KidExitButton:
        KidButton(p, r, file);
        break;
    case Style::KidVolumeButton:
    case Style::BrowserRoundButton:
        RoundIconButton(p, r, file, true);
        break;
    case Style::BrowserSquareButton:
        RoundIconButton(p, r, file, false);
        break;
    case Style::KidClock:
        Clock(p, r);
        break;
    case Style::KidTaskButton:
        TaskButton(p, r, file.look);
        break;
    case Style::KidRest:
        Rest(p, r, file);
        break;
    case Style::KidExitPanel:
        ExitPanel(p, r);
        break;
    case Style::KidExitClose: {
        // the dialog's top-right corner: a tab rounded at its bottom left
        const QColor base = file.look == Look::Normal ? QColor(0xEF, 0x6C, 0x6C) : QColor(0xE5, 0x39, 0x35);
        p.setPen(Qt::NoPen);
        p.setBrush(base);
        p.drawRoundedRect(r.adjusted(0, -10, 10, 0), 9, 9); // the canvas cuts the top and right rounding off
        DrawGlyph(p, file.glyph, QRectF(r.center().x() - 8, r.center().y() - 8, 16, 16), Qt::white);
        break;
    }
    case Style::BrowserBack:
        VerticalFill(p, r, QColor(0xDF, 0xF4, 0xFF), QColor(0xFF, 0xFF, 0xFF));
        break;
    case Style::BrowserBand:
        VerticalFill(p, r, kBandTop, kBandBottom);
        p.fillRect(QRectF(0, r.height() - 2, r.width(), 2), QColor(0x01, 0x88, 0xD1));
        break;
    case Style::BrowserHead:
        BrowserHead(p, r);
        break;
    case Style::BrowserTabClose: {
        const QColor base = file.look == Look::Normal ? QColor(0xB0, 0xBE, 0xC5) : QColor(0xEF, 0x53, 0x50);
        p.setPen(Qt::NoPen);
        p.setBrush(base);
        p.drawEllipse(QRectF(1, 0.5, 15, 15));
        DrawGlyph(p, file.glyph, QRectF(2.5, 2, 12, 12), Qt::white);
        break;
    }
    default:
        break;
    }
}

} // namespace skin
