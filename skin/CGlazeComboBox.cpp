#include "skin/CGlazeComboBox.h"

#include "skin/GlazeSkinFolder.h"

#include <QPainter>

CGlazeComboBox::CGlazeComboBox(QWidget* parent) : QComboBox(parent) {
    setImage();
}

CGlazeComboBox::~CGlazeComboBox() = default;

bool CGlazeComboBox::setImage() {
    const std::string file = GlazeSkinFile("Combobox.bmp");
    return !file.empty() && m_face.LoadGlazeImage(file.c_str());
}

void CGlazeComboBox::paintEvent(QPaintEvent* event) {
    if (!m_face.IsLoad()) {
        QComboBox::paintEvent(event);
        return;
    }
    QPainter painter(this);
    m_face.StretchBlt(&painter, rect());
    // The face carries the drop-down arrow at its right end.
    const QRect textArea = rect().adjusted(6, 0, -height(), 0);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    painter.drawText(textArea, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, currentText());
}
