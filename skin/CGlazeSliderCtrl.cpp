#include "skin/CGlazeSliderCtrl.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

CGlazeSliderCtrl::CGlazeSliderCtrl(QWidget* parent) : QWidget(parent) {}

CGlazeSliderCtrl::~CGlazeSliderCtrl() = default;

void CGlazeSliderCtrl::SetRange(int range) {
    m_nRange = std::max(range, 1);
    m_nPos = std::clamp(m_nPos, 0, m_nRange);
    update();
}

void CGlazeSliderCtrl::SetPos(int pos) {
    m_nPos = std::clamp(pos, 0, m_nRange);
    update();
}

void CGlazeSliderCtrl::SetDisable(bool disable) {
    setEnabled(!disable);
    update();
}

QRect CGlazeSliderCtrl::GrooveRect() const {
    const int knob = height();
    return QRect(knob / 2, height() / 2 - 3, std::max(width() - knob, 1), 6);
}

void CGlazeSliderCtrl::DrawItem(QPainter& dc) {
    dc.setRenderHint(QPainter::Antialiasing);
    const QRect groove = GrooveRect();
    const bool on = isEnabled();
    dc.setPen(Qt::NoPen);
    dc.setBrush(QColor(0xC8, 0xDC, 0xEE));
    dc.drawRoundedRect(groove, 3, 3);
    const int x = groove.left() + groove.width() * m_nPos / m_nRange;
    dc.setBrush(on ? QColor(0x3A, 0x8E, 0xD6) : QColor(0xA0, 0xA0, 0xA0));
    dc.drawRoundedRect(QRect(groove.left(), groove.top(), x - groove.left(), groove.height()), 3, 3);
    const int knob = height() - 2;
    dc.setPen(QPen(on ? QColor(0x14, 0x4F, 0x7F) : QColor(0x80, 0x80, 0x80), 1.5));
    dc.setBrush(Qt::white);
    dc.drawEllipse(QRectF(x - knob / 2.0, 1, knob, knob));
}

void CGlazeSliderCtrl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    DrawItem(painter);
}

void CGlazeSliderCtrl::TrackTo(int x) {
    const QRect groove = GrooveRect();
    // The nearest position to the cursor, not the one left of it.
    const int pos =
        std::clamp(((x - groove.left()) * m_nRange * 2 + groove.width()) / (2 * groove.width()), 0, m_nRange);
    if (pos == m_nPos)
        return;
    m_nPos = pos;
    update();
    if (m_pCallback != nullptr)
        m_pCallback(m_nPos);
}

void CGlazeSliderCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        TrackTo(event->position().toPoint().x());
}

void CGlazeSliderCtrl::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton)
        TrackTo(event->position().toPoint().x());
}
