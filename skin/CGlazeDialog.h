#pragma once
// A dialog drawn from a background bitmap: the bitmap gives the window its
// size, the window title is drawn over the top band (the drag rectangle, by
// default the top 30 rows), and only that band drags the window. Enter and
// Escape go to the virtual OnOK/OnCancel, so each dialog of the suite decides
// what they do.

#include "skin/CGlazeBitmap.h"
#include "skin/CGlazeText.h"

#include <QDialog>
#include <QPoint>
#include <QSize>
#include <memory>

class CGlazeDialog : public QDialog, public CGlazeText {
public:
    // Glaze dialogs are windows without a system frame by default; a dialog
    // placed inside another window (a page) passes Qt::Widget.
    explicit CGlazeDialog(QWidget* parent = nullptr,
                          Qt::WindowFlags flags = Qt::Dialog | Qt::FramelessWindowHint);
    ~CGlazeDialog() override;

    // Background bitmap; the window takes its size (keeping its top-left) and
    // the drag rectangle becomes the top 30 rows. False when it cannot be read.
    bool SetImage(const char* path);
    // A small icon drawn at the top-left corner; the title then starts right of it.
    bool SetSmallIcon(const char* path);
    void SetDragRect(const QRect& rect) { m_rcDrag = rect; }
    QRect GetDragRect() const { return m_rcDrag; }

    // Layered-window look: with LWA_COLORKEY every pixel of the background in
    // colour `key` is cut out of the window's shape; with LWA_ALPHA the whole
    // window is drawn `alpha`/255 opaque.
    void SetLayeredWindowAttributes(const QColor& key, int alpha, unsigned flags);

    // What Enter and Escape (and a close request, through reject) do. The
    // defaults accept and reject the dialog.
    virtual void OnOK();
    virtual void OnCancel();
    void reject() override;

protected:
    int GetOffsetX() const { return m_nOffsetX; }
    int GetOffsetY() const { return m_nOffsetY; }
    int GetSrcWidth() const { return m_nSrcWidth; }
    int GetSrcHeight() const { return m_nSrcHeight; }
    // The background, for dialogs that draw it their own way (stretched, say);
    // null before a successful SetImage.
    const CGlazeBitmap* GetBackground() const { return m_pBackground.get(); }

    // Fill the available screen area, remembering the old place; Normal puts the
    // window back. The offsets grow by the size difference so that controls on
    // the right and bottom edges can follow.
    virtual void Maxim();
    virtual void Normal();

    // Draws background, small icon and title. False (nothing drawn) without a
    // painter or a loaded background.
    virtual bool OnEraseBkgnd(QPainter* dc);

    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void UpdateShape();

    std::unique_ptr<CGlazeBitmap> m_pBackground;
    std::unique_ptr<CGlazeBitmap> m_pSmallIcon;
    QRect m_rcDrag;
    bool m_bDragging = false;
    QPoint m_ptGrab; // where the cursor holds the window while it is moved by hand
    int m_nOffsetX = 0;
    int m_nOffsetY = 0;
    int m_nBackWidth = 0;
    int m_nBackHeight = 0;
    int m_nSrcWidth = 0;
    int m_nSrcHeight = 0;
    QRect m_rcSaved;
    QSize m_szGrowth{0, 0};
    bool m_bColorKey = false;
    QColor m_crKey = kGlazeColorKey;
};
