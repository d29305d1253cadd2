#include "console/DialogLook.h"

#include "skin/CGlazeButton.h"
#include "skin/CGlazeDialog.h"
#include "skin/CGlazeStatic.h"

namespace console {

bool SetSmallDialogBackground(CGlazeDialog& dialog) {
    if (!dialog.SetImage("Resource/家长界面/保护设置/密码框.bmp")) {
        return false;
    }
    dialog.SetTextColor(ToQColor(RGB(0x14, 0x4F, 0x7F)));
    dialog.SetTextShadow(SHADOW_DROP, Qt::white);
    return true;
}

void PushButtonLook(CGlazeButton& button, const QRect& where) {
    button.SetImage("Resource/家长界面/按钮00.bmp", 0);
    button.SetImage("Resource/家长界面/按钮01.bmp", 1);
    button.SetImage("Resource/家长界面/按钮02.bmp", 2);
    button.SetImage("Resource/家长界面/按钮03.bmp", 3);
    button.setGeometry(where);
    button.SetTextColor(ToQColor(RGB(0x14, 0x4F, 0x7F)));
    button.SetTextShadow(SHADOW_DROP, Qt::white);
}

void CloseButtonLook(CGlazeButton& button) {
    button.SetImage("Resource/家长界面/保护设置/密码框叉00.bmp", 0);
    button.SetImage("Resource/家长界面/保护设置/密码框叉02.bmp", 1);
    button.SetImage("Resource/家长界面/保护设置/密码框叉02.bmp", 2);
    button.SetImage("Resource/家长界面/保护设置/密码框叉00.bmp", 3);
    button.setGeometry(Box(260, 4, 277, 20));
}

void LabelLook(CGlazeStatic& label, const QRect& where, const char* text) {
    QFont font = label.font();
    font.setPixelSize(12); // the size the layout's rectangles were made for
    label.setFont(font);
    label.SetWindowTextA(text);
    label.SetFontColor(ToQColor(RGB(0x12, 0x52, 0x82)));
    label.setGeometry(where);
}

} // namespace console
