#pragma once
// One task button: brings its window up or puts it away; the right button
// opens the window menu.

#include "skin/CGlazeButton.h"

#include <QIcon>

class CDlgSwitcher;

class CBtnSwitcher : public CGlazeButton {
public:
    CBtnSwitcher(CDlgSwitcher* owner, unsigned long window, const QIcon& icon);
    unsigned long Window() const { return m_window; }

protected:
    void DrawItem(QPainter& dc, const QRect& item) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    CDlgSwitcher* m_pOwner;
    unsigned long m_window;
    QIcon m_icon;
};
