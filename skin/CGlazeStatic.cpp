#include "skin/CGlazeStatic.h"

#include "skin/CGlazeText.h"

#include <QPainter>

CGlazeStatic::CGlazeStatic(QWidget* parent) : QLabel(parent) {}

CGlazeStatic::~CGlazeStatic() = default;

void CGlazeStatic::SetWindowTextA(const QString& text) {
    m_strText = text;
    if (QWidget* owner = parentWidget())
        owner->update(geometry());
    else
        update();
}

void CGlazeStatic::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    m_background.BitBlt(&painter, 0, 0);
    painter.setFont(font());
    GlazeDrawText(&painter, m_strText, rect(), m_crFont, m_uFormat, SHADOW_NONE, QColor());
}
