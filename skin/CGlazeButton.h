#pragma once
// A push button drawn from four bitmaps, one per state, switching between them
// as the mouse hovers, presses and leaves. Captions are the button's text,
// drawn over the bitmap with the button's text style.

#include "skin/CGlazeBitmap.h"
#include "skin/CGlazeText.h"

#include <QAbstractButton>
#include <QCursor>
#include <array>
#include <optional>

class CGlazeButton : public QAbstractButton, public CGlazeText {
public:
    enum enButtonState { STATE_NORMAL = 0, STATE_PRESSED = 1, STATE_HOVER = 2, STATE_DISABLED = 3 };

    explicit CGlazeButton(QWidget* parent = nullptr);
    ~CGlazeButton() override;

    // The image of `state`; false for a state above 3 or an unreadable file. The
    // normal image also sizes the button to the bitmap (unless it stretches)
    // and records the button's place as its initial rectangle.
    bool SetImage(const char* path, int state);
    // Disabled: state 3 and no input at all; enabled again: state 0.
    void SetDisable(int disable);
    void SetAutoStretch(bool stretch) { m_bAutoStretch = stretch; }
    void SetColorKey(const QColor& key) { m_crKey = key; }
    void ShowFrame(int show) { m_bFrame = show != 0; }
    void SetFrameColor(const QColor& colour) { m_crFrame = colour; }
    void SetInitRect(const QRect& rect) { m_rcInit = rect; }
    QRect GetInitRect() const { return m_rcInit; }
    void SetUseNewCursor(const QCursor& normal, const QCursor& pressed);
    // From the initial rectangle: mode 0 moves by (dx, dy); mode 1 moves right
    // by dx and grows down by dy; mode 2 moves down by dy and grows right by dx.
    void Move(int dx, int dy, int mode);

    enButtonState GetState() const { return m_eState; }
    const CGlazeBitmap& GetImage(int state) const { return m_images.at(static_cast<std::size_t>(state)); }

protected:
    // Draws the current state's image (stretched, or at its size leaving out the
    // colour key), the caption and the optional frame.
    virtual void DrawItem(QPainter& dc, const QRect& item);
    // The current state's image, or the given state's, as DrawItem places it.
    void DrawStateImage(QPainter& dc, const QRect& item, int state) const;
    void SetState(enButtonState state);
    void ApplyCursor(bool pressed);
    bool IsDisabledState() const { return m_eState == STATE_DISABLED; }

    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    // The common start of a press and a double click; false while disabled.
    bool BeginPress(QMouseEvent* event, bool pressedCursor);

    enButtonState m_eState = STATE_NORMAL;
    std::array<CGlazeBitmap, 4> m_images;
    bool m_bAutoStretch = false;
    QColor m_crKey = kGlazeColorKey;
    std::optional<QCursor> m_cursorNormal;
    std::optional<QCursor> m_cursorPressed;
    bool m_bFrame = false;
    QColor m_crFrame{0, 0, 0};
    QRect m_rcInit;
};
