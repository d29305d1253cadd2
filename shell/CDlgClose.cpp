#include "shell/CDlgClose.h"

#include "shell/ShellLayout.h"

#include <QPainter>

CDlgClose::CDlgClose() : CGlazeDialog(nullptr, Qt::Window | Qt::FramelessWindowHint) {
    setWindowTitle(QStringLiteral("Warrow"));
    SetLayeredWindowAttributes(QColor(0, 0, 0), 128, LWA_ALPHA);
}

void CDlgClose::ShowMaximised() {
    setGeometry(WorkArea());
    show();
    raise();
}

bool CDlgClose::OnEraseBkgnd(QPainter* dc) {
    dc->fillRect(rect(), Qt::black);
    return true;
}
