#include "shell/CBtnSwitcher.h"

#include "shell/CDlgSwitcher.h"
#include "shell/TaskWindow.h"

#include <QMouseEvent>
#include <QPainter>

CBtnSwitcher::CBtnSwitcher(CDlgSwitcher* owner, unsigned long window, const QIcon& icon)
    : CGlazeButton(owner), m_pOwner(owner), m_window(window), m_icon(icon) {}

void CBtnSwitcher::DrawItem(QPainter& dc, const QRect& item) {
    DrawStateImage(dc, item, GetState());
    m_icon.paint(&dc, QRect(item.left() + 20, item.top() + 8, 32, 32));
}

void CBtnSwitcher::mouseReleaseEvent(QMouseEvent* event) {
    if (m_pOwner->TasksLocked()) {
        // nothing during a rest
    } else if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        ToggleTaskWindow(m_window);
    } else if (event->button() == Qt::RightButton) {
        m_pOwner->OpenWindowMenu(m_window, mapToGlobal(event->position().toPoint()));
    }
    CGlazeButton::mouseReleaseEvent(event);
}
