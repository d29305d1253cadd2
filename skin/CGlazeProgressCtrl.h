#pragma once
// A progress bar drawn from the bar and block bitmaps of the shared skin
// folder: "Process_Bar.bmp" under the whole control, "Process_Block1.bmp" at
// the start of the done part, "Process_Block2.bmp" stretched along it and
// "Process_Block3.bmp" at its end.

#include "skin/CGlazeBitmap.h"

#include <QProgressBar>
#include <array>

class CGlazeProgressCtrl : public QProgressBar {
public:
    explicit CGlazeProgressCtrl(QWidget* parent = nullptr);
    ~CGlazeProgressCtrl() override;

    bool HasImages() const { return m_bar.IsLoad(); }

protected:
    bool SetImage();
    void paintEvent(QPaintEvent* event) override;

private:
    CGlazeBitmap m_bar;
    std::array<CGlazeBitmap, 3> m_blocks;
};
