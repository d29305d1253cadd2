#include "console/CDlgPageBase.h"

CDlgPageBase::CDlgPageBase(QWidget* parent) : CGlazeDialog(parent, Qt::Widget) {
    SetDragRect(QRect());
}

bool CDlgPageBase::OnInitDialog() {
    const bool loaded = SetImage("Resource/家长界面/内容框.bmp");
    SetDragRect(QRect()); // a page never drags the window it sits in
    return loaded;
}
