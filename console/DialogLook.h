#pragma once
// The look the console's small dialogs share: the password-box background,
// dark-blue labels, the four-image push buttons and the small close cross.

#include <QRect>

class CGlazeButton;
class CGlazeDialog;
class CGlazeStatic;

namespace console {

// (left, top, right, bottom) as the layout tables give them.
inline QRect Box(int left, int top, int right, int bottom) {
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

bool SetSmallDialogBackground(CGlazeDialog& dialog);
void PushButtonLook(CGlazeButton& button, const QRect& where);
void CloseButtonLook(CGlazeButton& button);
void LabelLook(CGlazeStatic& label, const QRect& where, const char* text);

} // namespace console
