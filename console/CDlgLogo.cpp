#include "console/CDlgLogo.h"

CDlgLogo::CDlgLogo(QWidget* owner)
    : CGlazeDialog(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
    setAttribute(Qt::WA_ShowWithoutActivating);
}

bool CDlgLogo::OnInitDialog() {
    if (!SetImage("Resource/家长界面/明途瓦罗.bmp")) {
        return false;
    }
    SetLayeredWindowAttributes(kGlazeColorKey, 0, LWA_COLORKEY);
    SetDragRect(QRect()); // painting only: the logo is not a handle to move
    return true;
}
