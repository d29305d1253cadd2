#include "skin/CGlazeDialog.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <QWindow>

namespace {
constexpr int kDragBandHeight = 30;
}

CGlazeDialog::CGlazeDialog(QWidget* parent, Qt::WindowFlags flags) : QDialog(parent, flags) {
    // QDialog turns every widget into a window; a page asked for a plain child.
    if ((flags & Qt::WindowType_Mask) == Qt::Widget)
        setWindowFlags(flags);
}

CGlazeDialog::~CGlazeDialog() = default;

bool CGlazeDialog::SetImage(const char* path) {
    auto background = std::make_unique<CGlazeBitmap>();
    if (!background->LoadGlazeImage(path))
        return false;
    m_pBackground = std::move(background);
    m_nBackWidth = m_nSrcWidth = m_pBackground->GetWidth();
    m_nBackHeight = m_nSrcHeight = m_pBackground->GetHeight();
    m_rcDrag = QRect(0, 0, m_nBackWidth, kDragBandHeight);
    if (m_nBackHeight != 0)
        resize(m_nBackWidth, m_nBackHeight);
    UpdateShape();
    update();
    return true;
}

bool CGlazeDialog::SetSmallIcon(const char* path) {
    auto icon = std::make_unique<CGlazeBitmap>();
    if (!icon->LoadGlazeImage(path))
        return false;
    m_pSmallIcon = std::move(icon);
    update();
    return true;
}

void CGlazeDialog::SetLayeredWindowAttributes(const QColor& key, int alpha, unsigned flags) {
    m_bColorKey = (flags & LWA_COLORKEY) != 0;
    m_crKey = key;
    setWindowOpacity((flags & LWA_ALPHA) ? qBound(0, alpha, 255) / 255.0 : 1.0);
    UpdateShape();
}

void CGlazeDialog::UpdateShape() {
    if (!m_bColorKey || !m_pBackground) {
        clearMask();
        return;
    }
    // The background's key-coloured pixels are cut out; whatever of the window
    // lies beyond the bitmap stays visible.
    const QPixmap& image = m_pBackground->GetPixmap();
    const QRect source = m_pBackground->GetSourceRect();
    const QBitmap opaque = image.copy(source).createMaskFromColor(m_crKey, Qt::MaskInColor);
    QRegion shape(rect());
    shape -= QRegion(0, 0, source.width(), source.height());
    shape += QRegion(opaque);
    setMask(shape);
}

void CGlazeDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (m_bColorKey)
        UpdateShape();
}

bool CGlazeDialog::OnEraseBkgnd(QPainter* dc) {
    if (dc == nullptr || !m_pBackground || !m_pBackground->IsLoad())
        return false;
    m_pBackground->BitBlt(dc, 0, 0, m_nBackWidth, m_nBackHeight);
    if (m_pSmallIcon)
        m_pSmallIcon->BitBlt(dc, 0, 0);
    const QString title = windowTitle();
    if (title.isEmpty())
        return true;
    dc->setFont(font());
    QRect titleRect = m_rcDrag;
    if (m_pSmallIcon) // the icon is taken as square
        titleRect =
            QRect(QPoint(m_pSmallIcon->GetHeight(), 0), QPoint(m_nBackWidth - 1, m_rcDrag.height() - 1));
    DrawTextA(dc, title, titleRect);
    return true;
}

void CGlazeDialog::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (!OnEraseBkgnd(&painter))
        QDialog::paintEvent(event);
}

void CGlazeDialog::OnOK() {
    QDialog::accept();
}

void CGlazeDialog::OnCancel() {
    QDialog::reject();
}

void CGlazeDialog::reject() {
    OnCancel();
}

void CGlazeDialog::keyPressEvent(QKeyEvent* event) {
    const bool plain = event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
    if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        OnOK();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event); // Escape ends in reject(), hence OnCancel()
}

void CGlazeDialog::mousePressEvent(QMouseEvent* event) {
    // Only a window drags: a dialog placed inside another one stays where its
    // owner put it.
    if (event->button() == Qt::LeftButton && isWindow() && m_rcDrag.contains(event->position().toPoint())) {
        m_bDragging = true;
        m_ptGrab = event->position().toPoint();
    }
    QDialog::mousePressEvent(event);
}

void CGlazeDialog::mouseMoveEvent(QMouseEvent* event) {
    if (m_bDragging && (event->buttons() & Qt::LeftButton) &&
        m_rcDrag.contains(event->position().toPoint())) {
        // The window manager moves the window where it can; elsewhere (no
        // window manager, offscreen) the dialog follows the cursor itself.
        QWindow* handle = windowHandle();
        if (handle != nullptr && handle->startSystemMove())
            m_bDragging = false;
        else
            move(event->globalPosition().toPoint() - m_ptGrab);
    }
    QDialog::mouseMoveEvent(event);
}

void CGlazeDialog::mouseReleaseEvent(QMouseEvent* event) {
    m_bDragging = false;
    QDialog::mouseReleaseEvent(event);
}

void CGlazeDialog::Maxim() {
    QScreen* target = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (target == nullptr)
        return;
    const QRect area = target->availableGeometry();
    m_rcSaved = geometry();
    setGeometry(area);
    m_szGrowth = area.size() - m_rcSaved.size();
    m_nOffsetX += m_szGrowth.width();
    m_nOffsetY += m_szGrowth.height();
    hide();
    show();
}

void CGlazeDialog::Normal() {
    setGeometry(m_rcSaved);
    m_nOffsetX -= m_szGrowth.width();
    m_nOffsetY -= m_szGrowth.height();
    m_szGrowth = QSize(0, 0);
    hide();
    show();
}
