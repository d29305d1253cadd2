#pragma once
// A bitmap-less text link: the caption's colour follows the button state.

#include "skin/CGlazeButton.h"

#include <array>

class CGlazeTextButton : public CGlazeButton {
public:
    using CGlazeButton::CGlazeButton;
    using CGlazeButton::SetTextColor;

    void SetTextColor(const QColor& colour, int state);
    QColor GetStateColor(int state) const { return m_crState.at(static_cast<std::size_t>(state)); }
    // Kept with the button; the caption drawn is the button's text.
    void SetText(const char* text) { m_strText = QString::fromUtf8(text); }
    QString GetText() const { return m_strText; }

protected:
    void DrawItem(QPainter& dc, const QRect& item) override;

private:
    QString m_strText;
    std::array<QColor, 4> m_crState{QColor(0, 0, 0), QColor(0, 0, 0), QColor(0, 0, 0), QColor(0, 0, 0)};
};
