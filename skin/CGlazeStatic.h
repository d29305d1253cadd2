#pragma once
// A label drawn transparently over the dialog's skin. It shows its own text,
// set with SetWindowTextA; the widget's own text (QLabel::text, the text a
// screen reader or a test reads) is left as it was.

#include "skin/CGlazeBitmap.h"
#include "skin/GlazeTypes.h"

#include <QLabel>

class CGlazeStatic : public QLabel {
public:
    explicit CGlazeStatic(QWidget* parent = nullptr);
    ~CGlazeStatic() override;

    // Stores the label's text and has the parent repaint the label's place, so
    // the skin under the old text comes back.
    void SetWindowTextA(const QString& text);
    void SetWindowTextA(const char* text) { SetWindowTextA(QString::fromUtf8(text)); }
    QString GetLabelText() const { return m_strText; }
    // A bitmap drawn at the label's top-left under the text; 1 when loaded.
    int SetImage(const char* path) { return m_background.LoadGlazeImage(path) ? 1 : 0; }
    void SetFontColor(const QColor& colour) { m_crFont = colour; }
    void SetFormat(unsigned format) { m_uFormat = format; }
    unsigned GetFormat() const { return m_uFormat; }
    // Remember the label's place in its parent; Move places it there moved by
    // (dx, dy).
    void RememberRect() { m_rcRemember = geometry(); }
    void Move(int dx, int dy) { setGeometry(m_rcRemember.translated(dx, dy)); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_crFont{0, 0, 0};
    QString m_strText;
    QRect m_rcRemember;
    unsigned m_uFormat = DT_VCENTER | DT_WORDBREAK;
    CGlazeBitmap m_background;
};
