#include "skin/CGlazeButton.h"

#include <QMouseEvent>
#include <QPainter>

CGlazeButton::CGlazeButton(QWidget* parent) : QAbstractButton(parent) {
    // Moves arrive also without a button held, so the cursor follows the state.
    setMouseTracking(true);
}

CGlazeButton::~CGlazeButton() = default;

bool CGlazeButton::SetImage(const char* path, int state) {
    if (state < STATE_NORMAL || state > STATE_DISABLED)
        return false;
    CGlazeBitmap& image = m_images[static_cast<std::size_t>(state)];
    const bool loaded = image.LoadGlazeImage(path);
    if (state == STATE_NORMAL) {
        // A missing normal image leaves the button at its size instead of
        // shrinking it to nothing, so it stays usable without that look.
        if (!m_bAutoStretch && loaded)
            resize(image.GetWidth(), image.GetHeight());
        m_rcInit = geometry();
    }
    update();
    return loaded;
}

void CGlazeButton::SetDisable(int disable) {
    m_eState = disable != 0 ? STATE_DISABLED : STATE_NORMAL;
    setEnabled(disable == 0);
}

void CGlazeButton::SetUseNewCursor(const QCursor& normal, const QCursor& pressed) {
    m_cursorNormal = normal;
    m_cursorPressed = pressed;
}

void CGlazeButton::Move(int dx, int dy, int mode) {
    QRect target = m_rcInit;
    switch (mode) {
    case 0:
        target.translate(dx, dy);
        break;
    case 1:
        target.translate(dx, 0);
        target.setBottom(target.bottom() + dy);
        break;
    case 2:
        target.translate(0, dy);
        target.setRight(target.right() + dx);
        break;
    default:
        return;
    }
    setGeometry(target);
    update();
}

void CGlazeButton::SetState(enButtonState state) {
    m_eState = state;
    update();
}

void CGlazeButton::ApplyCursor(bool pressed) {
    if (!m_cursorNormal)
        return;
    setCursor(pressed ? *m_cursorPressed : *m_cursorNormal);
}

void CGlazeButton::DrawStateImage(QPainter& dc, const QRect& item, int state) const {
    const CGlazeBitmap& image = m_images[static_cast<std::size_t>(state)];
    if (!image.IsLoad())
        return;
    if (m_bAutoStretch)
        image.StretchBlt(&dc, item);
    else
        image.TransparentBlt(&dc, 0, 0, m_crKey);
}

void CGlazeButton::DrawItem(QPainter& dc, const QRect& item) {
    DrawStateImage(dc, item, m_eState);
    dc.setFont(font());
    DrawTextA(&dc, text(), item);
    if (m_bFrame) {
        dc.setPen(m_crFrame);
        dc.setBrush(Qt::NoBrush);
        dc.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void CGlazeButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    DrawItem(painter, rect());
}

void CGlazeButton::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    if (!IsDisabledState())
        SetState(STATE_HOVER);
}

void CGlazeButton::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    if (!IsDisabledState())
        SetState(STATE_NORMAL);
}

void CGlazeButton::mouseMoveEvent(QMouseEvent* event) {
    QAbstractButton::mouseMoveEvent(event);
    if (m_eState == STATE_PRESSED)
        ApplyCursor(true);
    else if (!IsDisabledState())
        ApplyCursor(false);
}

bool CGlazeButton::BeginPress(QMouseEvent* event, bool pressedCursor) {
    if (IsDisabledState()) {
        update();
        return false; // no default handling, so no click can follow
    }
    if (event->button() == Qt::LeftButton) {
        ApplyCursor(pressedCursor);
        SetState(STATE_PRESSED);
    }
    return true;
}

void CGlazeButton::mousePressEvent(QMouseEvent* event) {
    if (BeginPress(event, true))
        QAbstractButton::mousePressEvent(event);
}

void CGlazeButton::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!BeginPress(event, false))
        return;
    // The second click of a double click presses the button again.
    if (event->button() == Qt::LeftButton)
        QAbstractButton::mousePressEvent(event);
    else
        QAbstractButton::mouseDoubleClickEvent(event);
}

void CGlazeButton::mouseReleaseEvent(QMouseEvent* event) {
    if (IsDisabledState()) {
        update();
        return;
    }
    if (event->button() != Qt::LeftButton) {
        QAbstractButton::mouseReleaseEvent(event);
        return;
    }
    SetState(STATE_HOVER);
    QAbstractButton::mouseReleaseEvent(event); // emits clicked() when released over the button
}
