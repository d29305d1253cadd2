#include "skin/CGlazeProgressCtrl.h"

#include "skin/GlazeSkinFolder.h"

#include <QPainter>
#include <algorithm>

CGlazeProgressCtrl::CGlazeProgressCtrl(QWidget* parent) : QProgressBar(parent) {
    setTextVisible(false);
    SetImage();
}

CGlazeProgressCtrl::~CGlazeProgressCtrl() = default;

bool CGlazeProgressCtrl::SetImage() {
    const char* names[] = {"Process_Block1.bmp", "Process_Block2.bmp", "Process_Block3.bmp"};
    for (std::size_t i = 0; i < m_blocks.size(); ++i) {
        const std::string file = GlazeSkinFile(names[i]);
        if (!file.empty())
            m_blocks[i].LoadGlazeImage(file.c_str());
    }
    const std::string bar = GlazeSkinFile("Process_Bar.bmp");
    return !bar.empty() && m_bar.LoadGlazeImage(bar.c_str());
}

void CGlazeProgressCtrl::paintEvent(QPaintEvent* event) {
    if (!m_bar.IsLoad()) {
        QProgressBar::paintEvent(event);
        return;
    }
    QPainter painter(this);
    m_bar.StretchBlt(&painter, rect());
    const qint64 span = qint64(maximum()) - minimum();
    if (span <= 0)
        return;
    const int done = static_cast<int>((qint64(value()) - minimum()) * width() / span);
    if (done <= 0)
        return;
    const int head = std::min(m_blocks[0].GetWidth(), done);
    const int tail = std::min(m_blocks[2].GetWidth(), done - head);
    m_blocks[0].StretchBlt(&painter, QRect(0, 0, head, height()));
    m_blocks[1].StretchBlt(&painter, QRect(head, 0, done - head - tail, height()));
    m_blocks[2].StretchBlt(&painter, QRect(done - tail, 0, tail, height()));
}
