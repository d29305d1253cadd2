#include "skin/CGlazeCheckButton.h"

void CGlazeCheckButton::DrawItem(QPainter& dc, const QRect& item) {
    CGlazeButton::DrawItem(dc, item);
    if (m_nCheck != 0 && !IsDisabledState())
        DrawStateImage(dc, item, STATE_PRESSED);
}

void CGlazeCheckButton::mousePressEvent(QMouseEvent* event) {
    CGlazeButton::mousePressEvent(event);
    if (!IsDisabledState())
        SetState(STATE_NORMAL);
}
