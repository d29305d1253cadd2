#pragma once
// A text box whose background is a skin bitmap (repeated as a pattern) or a
// plain colour. Each text change repaints the whole box so the skin under the
// text is redrawn.

#include "skin/CGlazeBitmap.h"

#include <QBrush>
#include <QLineEdit>

class CGlazeEdit : public QLineEdit {
public:
    explicit CGlazeEdit(QWidget* parent = nullptr);
    ~CGlazeEdit() override;

    // The skin becomes the background pattern and the box loses its frame (the
    // skin draws the box). False, with the background unchanged, when the file
    // cannot be read.
    bool SetImage(const char* path);
    void SetColor(const QColor& colour);
    QBrush GetBackgroundBrush() const { return m_brush; }

    // Where the edit sits in its parent, for programs that move it with a
    // growing dialog.
    void RememberRect() { m_rcRemember = geometry(); }
    QRect GetRememberedRect() const { return m_rcRemember; }

private:
    void ApplyBrush(const QBrush& brush);

    QBrush m_brush;
    QRect m_rcRemember;
    CGlazeBitmap m_skin;
};
