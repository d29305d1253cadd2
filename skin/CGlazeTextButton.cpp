#include "skin/CGlazeTextButton.h"

#include <QPainter>

void CGlazeTextButton::SetTextColor(const QColor& colour, int state) {
    if (state >= STATE_NORMAL && state <= STATE_DISABLED)
        m_crState[static_cast<std::size_t>(state)] = colour;
}

void CGlazeTextButton::DrawItem(QPainter& dc, const QRect& item) {
    dc.setFont(font());
    GlazeDrawText(&dc, text(), item, m_crState[static_cast<std::size_t>(GetState())], GetTextAlign(),
                  SHADOW_NONE, QColor());
}
