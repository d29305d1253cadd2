#pragma once
// A slider drawn from two bitmaps, the channel (filling the control) and the
// thumb; tick marks are never drawn. Range, position, mouse and keyboard are
// the plain slider's, except that a vertical one counts from the top down.

#include "skin/CGlazeBitmap.h"

#include <QSlider>

class CGlazeSliderCtrl2 : public QSlider {
public:
    explicit CGlazeSliderCtrl2(Qt::Orientation orientation = Qt::Vertical, QWidget* parent = nullptr);
    ~CGlazeSliderCtrl2() override;

    // A file that cannot be read leaves that part undrawn.
    void SetImage(const char* thumb, const char* channel);
    // Where the thumb is drawn (and grabbed) now.
    QRect GetThumbRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CGlazeBitmap m_channel;
    CGlazeBitmap m_thumb;
};
