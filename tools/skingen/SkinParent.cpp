// The parent screens: calm blues, light panels, dark-blue captions.

#include "tools/skingen/SkinPaint.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace skin {
namespace {

using namespace paint;

const QColor kInk(0x14, 0x4F, 0x7F);
const QColor kFrame(0x3C, 0x7D, 0xBF);
const QColor kLine(0xA9, 0xCB, 0xEA);
const QColor kAccent(0x2E, 0x86, 0xDE);
const QColor kHeaderTop(0xE8, 0xF4, 0xFD);
const QColor kHeaderBottom(0xC0, 0xDE, 0xF6);
const QColor kBody(0xF6, 0xFA, 0xFE);
const QColor kContent(0xFB, 0xFD, 0xFF);
const QColor kStripTop(0xFB, 0xFD, 0xFF);
const QColor kStripBottom(0xE3, 0xEF, 0xFA);
const QColor kMuted(0x9A, 0xA7, 0xB4);
const QColor kDesktop(0xD8, 0xE2, 0xEC);
const QColor kBandTop(0xEE, 0xF6, 0xFD);
const QColor kBandBottom(0xDC, 0xEC, 0xFA);

// Main window rows: the header (drag area) and the page-button strip.
constexpr int kHeaderHeight = 39;
constexpr int kStripTopRow = 40;
constexpr int kStripBottomRow = 136;
constexpr int kPageButtonTop = 47;

QColor Accent(Glyph glyph) {
    switch (glyph) {
    case Glyph::Wand:
        return QColor(0x86, 0x66, 0xD4);
    case Glyph::Apps:
        return QColor(0xEE, 0x93, 0x2E);
    case Glyph::Globe:
        return QColor(0x1C, 0x9E, 0x9A);
    case Glyph::Folder:
        return QColor(0xE0, 0xAA, 0x2C);
    case Glyph::Shield:
        return QColor(0x3A, 0x9A, 0x5E);
    case Glyph::Gear:
        return QColor(0x3E, 0x95, 0xE8);
    case Glyph::List:
        return QColor(0x5C, 0x6B, 0xC0);
    case Glyph::Clock:
        return QColor(0xE5, 0x7B, 0x3A);
    case Glyph::Lock:
        return QColor(0x2E, 0x86, 0xDE);
    case Glyph::Play:
        return QColor(0x43, 0xA0, 0x47);
    default:
        return kAccent;
    }
}

QString CaptionOf(const SkinFile& file) {
    return QString::fromUtf8(file.caption.c_str());
}

// Light buttons carrying dark captions.
Tone LightTone(Look look) {
    switch (look) {
    case Look::Pressed:
        return {QColor(0xC6, 0xE0, 0xF6), QColor(0xE8, 0xF3, 0xFC), QColor(0x2A, 0x6F, 0xB0), kInk};
    case Look::Hover:
        return {QColor(0xFF, 0xFF, 0xFF), QColor(0xDD, 0xEE, 0xFB), QColor(0x3A, 0x8E, 0xD6), kInk};
    case Look::Disabled:
        return {QColor(0xF4, 0xF4, 0xF4), QColor(0xE2, 0xE2, 0xE2), QColor(0xC2, 0xC2, 0xC2), kMuted};
    case Look::Normal:
        break;
    }
    return {QColor(0xFF, 0xFF, 0xFF), QColor(0xE6, 0xF1, 0xFB), QColor(0x8D, 0xBB, 0xE6), kInk};
}

// Strong blue buttons carrying white captions.
Tone BlueTone(Look look) {
    switch (look) {
    case Look::Pressed:
        return {QColor(0x2A, 0x72, 0xBA), QColor(0x3F, 0x92, 0xDC), QColor(0x1F, 0x5E, 0x9C), Qt::white};
    case Look::Hover:
        return {QColor(0x7A, 0xC4, 0xF6), QColor(0x3B, 0x90, 0xDC), QColor(0x2A, 0x6F, 0xB0), Qt::white};
    case Look::Disabled:
        return {QColor(0xD8, 0xDE, 0xE4), QColor(0xC2, 0xCA, 0xD2), QColor(0xB0, 0xB8, 0xC0),
                QColor(0xF6, 0xF7, 0xF8)};
    case Look::Normal:
        break;
    }
    return {QColor(0x62, 0xB3, 0xEF), QColor(0x2F, 0x80, 0xCC), QColor(0x2A, 0x6F, 0xB0), Qt::white};
}

QPainterPath Rounded(const QRectF& r, qreal radius) {
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

// A window or dialog: frame, header band for the title, light body.
void Panel(QPainter& p, const QRectF& r, int headerHeight, qreal radius) {
    const QPainterPath outline = Rounded(r.adjusted(0.5, 0.5, -0.5, -0.5), radius);
    p.save();
    p.setClipPath(outline);
    p.fillRect(r, kBody);
    VerticalFill(p, QRectF(0, 0, r.width(), headerHeight), kHeaderTop, kHeaderBottom);
    p.fillRect(QRectF(0, headerHeight, r.width(), 1), kLine);
    p.fillRect(QRectF(0, 0, r.width(), 1), QColor(255, 255, 255, 200));
    p.restore();
    p.setPen(QPen(kFrame, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(outline);
}

void Emblem(QPainter& p, const QPointF& centre, qreal radius, Glyph glyph) {
    RoundBox(p, QRectF(centre.x() - radius, centre.y() - radius, radius * 2, radius * 2), radius,
             {QColor(0xFF, 0xFF, 0xFF), QColor(0xDC, 0xEC, 0xFA), kLine}, 1.5);
    const qreal icon = radius * 1.1;
    DrawGlyph(p, glyph, QRectF(centre.x() - icon / 2, centre.y() - icon / 2, icon, icon), Accent(glyph));
}

void MainWindow(QPainter& p, const QRectF& r, const SkinFile& file) {
    const QPainterPath outline = Rounded(r.adjusted(0.5, 0.5, -0.5, -0.5), 10);
    p.save();
    p.setClipPath(outline);
    p.fillRect(r, QColor(0xEE, 0xF5, 0xFC));
    VerticalFill(p, QRectF(0, 0, r.width(), kHeaderHeight), kHeaderTop, kHeaderBottom);
    VerticalFill(p, QRectF(0, kStripTopRow, r.width(), kStripBottomRow - kStripTopRow + 1), kStripTop,
                 kStripBottom);
    p.fillRect(QRectF(0, kHeaderHeight, r.width(), 1), kLine);
    p.fillRect(QRectF(0, kStripBottomRow + 1, r.width(), 1), kLine);
    // the frame the pages sit in, and the status row under it
    p.fillRect(QRectF(6, 140, 660, 349), kLine);
    p.fillRect(QRectF(7, 141, 658, 347), kContent);
    p.restore();
    DrawGlyph(p, file.glyph, QRectF(12, 8, 23, 23), kAccent);
    p.setPen(QPen(kFrame, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(outline);
}

void PageButton(QPainter& p, const QRectF& r, const SkinFile& file) {
    const QRectF tile = r.adjusted(1, 1, -1, -1);
    QColor ink = kInk;
    QColor glyphInk = Accent(file.glyph);
    switch (file.look) {
    case Look::Normal:
    case Look::Disabled: {
        // The strip itself, so the caption is smoothed against what is behind it.
        const qreal span = kStripBottomRow - kStripTopRow;
        const qreal from = (kPageButtonTop - kStripTopRow) / span;
        const qreal to = (kPageButtonTop + r.height() - kStripTopRow) / span;
        RoundBox(p, tile, 10,
                 {Mix(kStripTop, kStripBottom, from), Mix(kStripTop, kStripBottom, to), QColor()}, 0);
        if (file.look == Look::Disabled)
            ink = glyphInk = kMuted;
        break;
    }
    case Look::Hover:
        RoundBox(p, tile, 10, {QColor(0xF2, 0xF9, 0xFF), QColor(0xD4, 0xE9, 0xFB), QColor(0x8C, 0xC3, 0xEE)},
                 1.2);
        break;
    case Look::Pressed:
        RoundBox(p, tile, 10, BlueTone(Look::Normal), 1.2);
        ink = glyphInk = Qt::white;
        break;
    }
    DrawGlyph(p, file.glyph, QRectF(r.center().x() - 19, 7, 38, 38), glyphInk,
              file.look == Look::Pressed ? kAccent : Qt::white);
    Caption(p, QRectF(0, 50, r.width(), 22), CaptionOf(file), 13, ink, true);
}

void WindowButton(QPainter& p, const QRectF& r, const SkinFile& file) {
    const bool close = file.glyph == Glyph::Close;
    const QRectF tile = r.adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal header = 11.0 / kHeaderHeight; // the buttons sit 11 rows down the header
    Tone tone{Mix(kHeaderTop, kHeaderBottom, header),
              Mix(kHeaderTop, kHeaderBottom, header + 18.0 / kHeaderHeight), QColor(), kFrame};
    if (file.look == Look::Hover)
        tone = close
                   ? Tone{QColor(0xF0, 0x7C, 0x7C), QColor(0xD9, 0x4A, 0x4A), QColor(0xC0, 0x3A, 0x3A),
                          Qt::white}
                   : Tone{QColor(0xF4, 0xFA, 0xFF), QColor(0xC8, 0xE2, 0xF8), QColor(0x7F, 0xB2, 0xE0), kInk};
    else if (file.look == Look::Pressed)
        tone = close
                   ? Tone{QColor(0xC6, 0x3A, 0x3A), QColor(0xD9, 0x4A, 0x4A), QColor(0xA0, 0x2E, 0x2E),
                          Qt::white}
                   : Tone{QColor(0xA8, 0xCF, 0xF0), QColor(0xC8, 0xE2, 0xF8), QColor(0x5B, 0x9B, 0xD5), kInk};
    else if (file.look == Look::Disabled)
        tone.ink = kMuted;
    RoundBox(p, tile, 4, tone, tone.border.isValid() ? 1.0 : 0);
    DrawGlyph(p, file.glyph, QRectF(r.center().x() - 7, r.center().y() - 7, 14, 14), tone.ink);
}

void SmartPage(QPainter& p, const QRectF& r, const SkinFile& file) {
    p.fillRect(r, kContent);
    RoundBox(p, QRectF(10, 6, 410, 334), 12, {QColor(0xFF, 0xFF, 0xFF), QColor(0xEE, 0xF6, 0xFD), kLine},
             1.2);
    DrawGlyph(p, file.glyph, QRectF(22, 10, 20, 20), Accent(file.glyph));
    Caption(p, QRectF(48, 9, 200, 22), CaptionOf(file), 15, kInk, true, Qt::AlignLeft | Qt::AlignVCenter);
    // three things the setup takes care of
    const struct {
        Glyph glyph;
        const char* text;
    } topics[] = {{Glyph::Apps, "应用程序"}, {Glyph::Globe, "安全网页"}, {Glyph::Shield, "家长管理"}};
    for (int i = 0; i < 3; ++i) {
        const QPointF centre(95 + i * 120, 150);
        Emblem(p, centre, 24, topics[i].glyph);
        Caption(p, QRectF(centre.x() - 50, 178, 100, 18), QString::fromUtf8(topics[i].text), 12, kInk, false);
    }
    RoundBox(p, QRectF(428, 4, 226, 254), 12, {kBandTop, kBandBottom, kLine}, 1.0);
    p.fillRect(QRectF(10, r.height() - 4, r.width() - 20, 1), kLine);
}

void Launcher(QPainter& p, const QRectF& r, const SkinFile& file) {
    const Tone tone = BlueTone(file.look);
    RoundBox(p, r.adjusted(1, 1, -1, -1), 8, tone, 1.2);
    DrawGlyph(p, file.glyph, QRectF(10, r.center().y() - 10, 20, 20), tone.ink, tone.bottom);
    Caption(p, r.adjusted(24, 0, 0, 0), CaptionOf(file), 14, tone.ink, true, Qt::AlignCenter, tone.border);
}

void WideLauncher(QPainter& p, const QRectF& r, const SkinFile& file) {
    const Tone tone = LightTone(file.look);
    RoundBox(p, r.adjusted(1, 1, -1, -1), 10, tone, 1.2);
    const QColor accent = file.look == Look::Disabled ? kMuted : Accent(file.glyph);
    const QRectF badge(10, r.center().y() - 19, 38, 38);
    RoundBox(p, badge, 19, {accent.lighter(120), accent, QColor()}, 0);
    DrawGlyph(p, file.glyph, badge.adjusted(8, 8, -8, -8), Qt::white, accent);
    Caption(p, QRectF(60, 0, r.width() - 90, r.height()), CaptionOf(file), 18, tone.ink, true,
            Qt::AlignLeft | Qt::AlignVCenter);
    DrawGlyph(p, Glyph::Forward, QRectF(r.width() - 30, r.center().y() - 9, 18, 18),
              file.look == Look::Disabled ? kMuted : kLine);
}

void Logo(QPainter& p, const QRectF& r, const SkinFile& file) {
    const QPointF c(r.width() / 2, 50);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2F, 0x80, 0xCC));
    p.drawEllipse(c + QPointF(-30, -32), 11, 11); // ears
    p.drawEllipse(c + QPointF(30, -32), 11, 11);
    RoundBox(p, QRectF(c.x() - 44, c.y() - 44, 88, 88), 44,
             {QColor(0x72, 0xC4, 0xF8), QColor(0x2F, 0x80, 0xCC), QColor(0x25, 0x68, 0xA8)}, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(c + QPointF(0, 8), 31, 25);
    p.setBrush(QColor(0x1B, 0x2A, 0x49));
    p.drawEllipse(c + QPointF(-11, 2), 4.5, 5.5);
    p.drawEllipse(c + QPointF(11, 2), 4.5, 5.5);
    p.setBrush(Qt::white);
    p.drawEllipse(c + QPointF(-9.5, 0), 1.6, 1.6);
    p.drawEllipse(c + QPointF(12.5, 0), 1.6, 1.6);
    p.setBrush(QColor(0xF8, 0xA5, 0xC2));
    p.drawEllipse(c + QPointF(-20, 14), 5, 3.2);
    p.drawEllipse(c + QPointF(20, 14), 5, 3.2);
    p.setPen(QPen(QColor(0x1B, 0x2A, 0x49), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(c.x() - 8, c.y() + 6, 16, 12), 200 * 16, 140 * 16);
    const QRectF ribbon(14, 90, r.width() - 28, 24);
    RoundBox(p, ribbon, 12, {QColor(0xFF, 0xB7, 0x4D), QColor(0xF0, 0x8A, 0x24), QColor(0xD8, 0x75, 0x1A)},
             1.2);
    Caption(p, ribbon, CaptionOf(file), 15, Qt::white, true, Qt::AlignCenter, QColor(0xC0, 0x60, 0x10));
}

void Notice(QPainter& p, const QRectF& r) {
    QPainterPath bubble = Rounded(QRectF(1, 1, r.width() - 9, r.height() - 2), 12);
    QPainterPath tail;
    tail.moveTo(r.width() - 10, 22);
    tail.lineTo(r.width() - 1, 31);
    tail.lineTo(r.width() - 10, 42);
    tail.closeSubpath();
    bubble = bubble.united(tail);
    QLinearGradient fill(0, 0, 0, r.height());
    fill.setColorAt(0, Qt::white);
    fill.setColorAt(1, QColor(0xE9, 0xF3, 0xFC));
    p.setPen(QPen(QColor(0x5B, 0x9B, 0xD5), 1.5));
    p.setBrush(fill);
    p.drawPath(bubble);
}

void SliderChannel(QPainter& p, const QRectF& r) {
    p.fillRect(r, kContent);
    RoundBox(p, QRectF(r.center().x() - 3, 5, 6, r.height() - 10), 3,
             {QColor(0xD3, 0xE5, 0xF6), QColor(0xB9, 0xD5, 0xF0), QColor(0x8D, 0xB8, 0xE0)}, 1.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x8D, 0xB8, 0xE0));
    // the three level positions (top, middle, bottom of the thumb's travel)
    for (const qreal y : {7.5, r.height() / 2, r.height() - 7.5}) {
        p.drawEllipse(QPointF(4, y), 1.8, 1.8);
        p.drawEllipse(QPointF(r.width() - 4, y), 1.8, 1.8);
    }
}

void SliderThumb(QPainter& p, const QRectF& r) {
    p.fillRect(r, kContent);
    RoundBox(p, r.adjusted(0.5, 0.5, -0.5, -0.5), r.width() / 2,
             {QColor(0x7A, 0xC4, 0xF6), QColor(0x2F, 0x80, 0xCC), QColor(0x25, 0x68, 0xA8)}, 1.0);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(r.center(), 2.5, 2.5);
}

void EditField(QPainter& p, const QRectF& r) {
    p.fillRect(r, kBody);
    RoundBox(p, r.adjusted(0.5, 0.5, -0.5, -0.5), 4,
             {QColor(0xF4, 0xF8, 0xFC), Qt::white, QColor(0x8D, 0xB8, 0xE0)}, 1.0);
}

void DialogClose(QPainter& p, const QRectF& r, const SkinFile& file) {
    if (file.look == Look::Normal) {
        const qreal top = 4.0 / 30; // placed 4 rows down a 30-row header
        RoundBox(
            p, r, 4,
            {Mix(kHeaderTop, kHeaderBottom, top), Mix(kHeaderTop, kHeaderBottom, top + 16.0 / 30), QColor()},
            0);
        DrawGlyph(p, file.glyph, r.adjusted(2, 1.5, -2, -1.5), kFrame);
        return;
    }
    RoundBox(p, r, 4, {QColor(0xF0, 0x7C, 0x7C), QColor(0xD9, 0x4A, 0x4A), QColor()}, 0);
    DrawGlyph(p, file.glyph, r.adjusted(2, 1.5, -2, -1.5), Qt::white);
}

void CornerClose(QPainter& p, const QRectF& r, const SkinFile& file) {
    // The window's top-right corner: rounded like the window there, and towards
    // the dialog at the bottom left.
    QPainterPath tab;
    tab.moveTo(0, 0);
    tab.lineTo(r.width() - 10, 0);
    tab.arcTo(QRectF(r.width() - 20, 0, 20, 20), 90, -90);
    tab.lineTo(r.width(), r.height());
    tab.lineTo(8, r.height());
    tab.arcTo(QRectF(0, r.height() - 16, 16, 16), 270, -90);
    tab.closeSubpath();
    const bool lit = file.look != Look::Normal;
    QLinearGradient fill(0, 0, 0, r.height());
    fill.setColorAt(0, lit ? QColor(0xF0, 0x7C, 0x7C) : kHeaderTop);
    fill.setColorAt(1, lit ? QColor(0xD9, 0x4A, 0x4A) : Mix(kHeaderTop, kHeaderBottom, 22.0 / 30));
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(tab);
    // The window's frame runs along the top and right edges of the tab.
    p.setPen(QPen(kFrame, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(Rounded(QRectF(-20, 0.5, r.width() + 19.5, r.height() + 20), 10));
    DrawGlyph(p, file.glyph, QRectF(r.center().x() - 7, r.center().y() - 7, 14, 14),
              lit ? Qt::white : kFrame);
}

void CheckBox(QPainter& p, const QRectF& r, Look look) {
    const QRectF box = r.adjusted(0.5, 0.5, -0.5, -0.5);
    if (look == Look::Pressed) {
        RoundBox(p, box, 3, {QColor(0x5D, 0xAE, 0xEE), QColor(0x2A, 0x78, 0xC6), QColor(0x21, 0x63, 0xA6)},
                 1.0);
        p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({QPointF(3.5, 7.5), QPointF(6.2, 10.2), QPointF(11.5, 4.5)}));
        return;
    }
    const bool off = look == Look::Disabled;
    RoundBox(p, box, 3,
             {off ? QColor(0xEC, 0xEC, 0xEC) : Qt::white,
              off ? QColor(0xE0, 0xE0, 0xE0) : QColor(0xEA, 0xF3, 0xFC),
              off ? QColor(0xBD, 0xBD, 0xBD) : QColor(0x5B, 0x9B, 0xD5)},
             1.0);
}

void Heading(QPainter& p, qreal y, qreal width, Glyph glyph, const QString& text) {
    DrawGlyph(p, glyph, QRectF(24, y, 18, 18), Accent(glyph));
    Caption(p, QRectF(48, y - 2, 200, 22), text, 14, kInk, true, Qt::AlignLeft | Qt::AlignVCenter);
    p.fillRect(QRectF(24, y + 24, width - 48, 1), kLine);
}

void Option(QPainter& p, qreal x, qreal y, const char* text) {
    Caption(p, QRectF(x, y - 2, 280, 19), QString::fromUtf8(text), 13, QColor(0x33, 0x4A, 0x60), false,
            Qt::AlignLeft | Qt::AlignVCenter);
}

void BaseSetup(QPainter& p, const QRectF& r) {
    Panel(p, r, 30, 10);
    // What each check box means; the boxes themselves are controls.
    Heading(p, 56, r.width(), Glyph::Play, QStringLiteral("启动方式"));
    Option(p, 82, 91, "开机时自动启动本系统");
    Option(p, 101, 112, "启动后进入家长模式");
    Option(p, 101, 131, "启动后进入儿童模式");
    Heading(p, 194, r.width(), Glyph::Refresh, QStringLiteral("软件更新"));
    Option(p, 101, 229, "发现新版本时自动更新");
    Option(p, 101, 249, "发现新版本时提醒我");
    Option(p, 101, 270, "不检查新版本");
    RoundBox(p, QRectF(24, 306, r.width() - 48, 40), 8,
             {QColor(0xFF, 0xFB, 0xEE), QColor(0xFF, 0xF4, 0xD6), QColor(0xF2, 0xD4, 0x8A)}, 1.0);
    Caption(p, QRectF(36, 306, r.width() - 72, 40), QStringLiteral("修改后请点击下方按钮保存设置"), 12,
            QColor(0x8A, 0x5A, 0x10), false, Qt::AlignLeft | Qt::AlignVCenter);
}

void ProtectPage(QPainter& p, const QRectF& r, const SkinFile& file) {
    p.fillRect(r, kContent);
    RoundBox(p, QRectF(6, 4, r.width() - 12, 78), 10, {kBandTop, kBandBottom, kLine}, 1.0);
    DrawGlyph(p, file.glyph, QRectF(424, 14, 26, 26), Accent(file.glyph));
    Caption(p, QRectF(456, 12, 190, 30), QStringLiteral("安全保护"), 18, kInk, true,
            Qt::AlignLeft | Qt::AlignVCenter);
    Caption(p, QRectF(424, 44, 224, 24), QStringLiteral("为孩子营造安全、健康的电脑环境"), 12,
            QColor(0x4A, 0x6A, 0x88), false, Qt::AlignLeft | Qt::AlignVCenter);
    const struct {
        Glyph glyph;
        const char* name;
        const char* text;
    } rows[] = {
        {Glyph::Lock, "密码设置", "设置或修改家长密码，退出儿童模式时需要输入它"},
        {Glyph::Gear, "基本设置", "开机时是否自动启动，以及软件怎样更新"},
        {Glyph::List, "使用记录", "查看孩子在儿童模式下打开过的程序和网页"},
        {Glyph::Clock, "时间控制", "规定每次娱乐的时长和随后休息的时长"},
    };
    for (int i = 0; i < 4; ++i) {
        const qreal y = 104 + i * 52;
        Emblem(p, QPointF(40, y + 16), 18, rows[i].glyph);
        Caption(p, QRectF(70, y, 120, 32), QString::fromUtf8(rows[i].name), 14, kInk, true,
                Qt::AlignLeft | Qt::AlignVCenter);
        Caption(p, QRectF(150, y, 330, 32), QString::fromUtf8(rows[i].text), 13, QColor(0x4A, 0x5E, 0x72),
                false, Qt::AlignLeft | Qt::AlignVCenter);
    }
    QColor big = Accent(Glyph::Shield);
    big.setAlpha(40);
    DrawGlyph(p, Glyph::Shield, QRectF(480, 110, 170, 200), big, QColor(255, 255, 255, 200));
}

void ProtectTile(QPainter& p, const QRectF& r, const SkinFile& file) {
    const Tone tone = LightTone(file.look);
    RoundBox(p, r.adjusted(1, 1, -1, -1), 9, tone, 1.2);
    DrawGlyph(p, file.glyph, QRectF(r.center().x() - 14, 6, 28, 28), Accent(file.glyph));
    Caption(p, QRectF(0, 36, r.width(), 20), CaptionOf(file), 13, tone.ink, true);
}

void Guide(QPainter& p, const QRectF& r, const SkinFile& file) {
    Panel(p, r, kHeaderHeight, 10);
    DrawGlyph(p, file.glyph, QRectF(12, 8, 23, 23), Accent(file.glyph));
    p.save();
    p.setClipPath(Rounded(r.adjusted(1, 1, -1, -1), 9));
    VerticalFill(p, QRectF(0, 461, r.width(), r.height() - 461), QColor(0xF2, 0xF8, 0xFE),
                 QColor(0xE0, 0xED, 0xF9));
    p.fillRect(QRectF(0, 460, r.width(), 1), kLine);
    p.restore();
}

void GuideStep(QPainter& p, const QRectF& r, const SkinFile& file) {
    p.fillRect(r, kContent);
    // The step covers the guide from edge to edge, so it carries the guide's frame.
    p.fillRect(QRectF(0, 0, 1, r.height()), kFrame);
    p.fillRect(QRectF(r.width() - 1, 0, 1, r.height()), kFrame);
    const char* names[] = {"选择应用程序", "选择安全网页", "设置安全保护"};
    const qreal y = 34;
    for (int i = 0; i < 3; ++i) {
        const qreal x = r.width() * (1 + 2 * i) / 6.0;
        const int number = i + 1;
        const bool done = number < file.number;
        const bool current = number == file.number;
        if (i < 2) {
            const QColor link = number < file.number ? QColor(0x4C, 0xAF, 0x50) : QColor(0xC8, 0xD8, 0xE8);
            p.fillRect(QRectF(x + 22, y - 2, r.width() / 3.0 - 44, 4), link);
        }
        const QRectF dot(x - 18, y - 18, 36, 36);
        if (done) {
            RoundBox(p, dot, 18, {QColor(0x7C, 0xCB, 0x7F), QColor(0x43, 0xA0, 0x47), QColor()}, 0);
            p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(Qt::NoBrush);
            p.drawPolyline(QPolygonF({QPointF(x - 8, y), QPointF(x - 2, y + 6), QPointF(x + 9, y - 6)}));
        } else if (current) {
            RoundBox(p, dot, 18, BlueTone(Look::Normal), 1.2);
            Caption(p, dot, QString::number(number), 18, Qt::white, true);
        } else {
            RoundBox(p, dot, 18, {Qt::white, QColor(0xF0, 0xF5, 0xFA), QColor(0xB8, 0xCF, 0xE4)}, 1.5);
            Caption(p, dot, QString::number(number), 18, kMuted, true);
        }
        Caption(p, QRectF(x - 80, y + 22, 160, 22), QString::fromUtf8(names[i]), 13,
                current ? kInk : QColor(0x7A, 0x8C, 0xA0), current);
    }
    p.fillRect(QRectF(10, 98, r.width() - 20, 1), kLine);
    p.setPen(QPen(kLine, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(8.5, 131.5, r.width() - 17, r.height() - 132));
}

} // namespace

QColor MatteParent(Style style) {
    switch (style) {
    case Style::ParentPageButton:
        return Mix(kStripTop, kStripBottom, 0.5);
    case Style::ParentWindowButton:
    case Style::ParentDialogClose:
    case Style::ParentCornerClose:
        return Mix(kHeaderTop, kHeaderBottom, 0.4);
    case Style::ParentButton:
    case Style::ParentCheckBox:
        return kBody;
    case Style::ParentLauncher:
    case Style::ParentWideLauncher:
        return Mix(kBandTop, kBandBottom, 0.5);
    case Style::ParentProtectTile:
        return Mix(kBandTop, kBandBottom, 0.5);
    default:
        return kDesktop;
    }
}

void PaintParent(QPainter& p, const SkinFile& file) {
    const QRectF r(0, 0, file.width, file.height);
    switch (file.style) {
    case Style::ParentWindow:
        MainWindow(p, r, file);
        break;
    case Style::ParentPageButton:
        PageButton(p, r, file);
        break;
    case Style::ParentWindowButton:
        WindowButton(p, r, file);
        break;
    case Style::ParentButton:
        RoundBox(p, r.adjusted(0.5, 0.5, -0.5, -0.5), 5, LightTone(file.look), 1.0);
        break;
    case Style::ParentContent:
        p.fillRect(r, kContent);
        break;
    case Style::ParentSmartPage:
        SmartPage(p, r, file);
        break;
    case Style::ParentLauncher:
        Launcher(p, r, file);
        break;
    case Style::ParentWideLauncher:
        WideLauncher(p, r, file);
        break;
    case Style::ParentLogo:
        Logo(p, r, file);
        break;
    case Style::ParentNotice:
        Notice(p, r);
        break;
    case Style::ParentSliderThumb:
        SliderThumb(p, r);
        break;
    case Style::ParentSliderChannel:
        SliderChannel(p, r);
        break;
    case Style::ParentDialog:
        Panel(p, r, 30, 0);
        Emblem(p, QPointF(r.width() / 2, 76), 32, file.glyph);
        break;
    case Style::ParentDialogClose:
        DialogClose(p, r, file);
        break;
    case Style::ParentEditField:
        EditField(p, r);
        break;
    case Style::ParentBaseSetup:
        BaseSetup(p, r);
        break;
    case Style::ParentCornerClose:
        CornerClose(p, r, file);
        break;
    case Style::ParentCheckBox:
        CheckBox(p, r, file.look);
        break;
    case Style::ParentProtectPage:
        ProtectPage(p, r, file);
        break;
    case Style::ParentProtectTile:
        ProtectTile(p, r, file);
        break;
    case Style::ParentGuide:
        Guide(p, r, file);
        break;
    case Style::ParentGuideStep:
        GuideStep(p, r, file);
        break;
    default:
        break;
    }
}

} // namespace skin
