#pragma once
// A check box made of a glaze button: the pressed image is the checked look.
// The owner sets the check in its click handler; the button never toggles
// itself, and it never shows the pressed look while held down.

#include "skin/CGlazeButton.h"

class CGlazeCheckButton : public CGlazeButton {
public:
    using CGlazeButton::CGlazeButton;

    void CheckButton(bool check) {
        m_nCheck = check ? 1 : 0;
        update();
    }
    int GetCheck() const { return m_nCheck; }

protected:
    void DrawItem(QPainter& dc, const QRect& item) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    int m_nCheck = 0;
};
