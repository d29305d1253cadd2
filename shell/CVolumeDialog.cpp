#include "shell/CVolumeDialog.h"

#include "core/CWarrowCoreInterface.h"

#include <QEvent>
#include <QSlider>
#include <QVBoxLayout>

namespace {
constexpr int kVolumeMax = 65535;
}

CVolumeDialog::CVolumeDialog(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::FramelessWindowHint), m_pSlider(new QSlider(Qt::Vertical, this)) {
    setWindowTitle(QStringLiteral("Warrow"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 6, 4, 6);
    layout->addWidget(m_pSlider, 0, Qt::AlignHCenter);
    setStyleSheet(QStringLiteral("CVolumeDialog { border: 1px solid #3a6ea5; background: #eef4fb; }"));
    m_pSlider->setRange(0, kVolumeMax);
    m_pSlider->setPageStep(kVolumeMax / 10);
    connect(m_pSlider, &QSlider::valueChanged, this, [](int value) {
        if (CVolumeControl* volume = CWarrowCoreInterface::Get()->GetVolumeControl()) {
            volume->SetVolume(value);
        }
    });
}

bool CVolumeDialog::OnInitDialog() {
    CVolumeControl* volume = CWarrowCoreInterface::Get()->GetVolumeControl();
    const QSignalBlocker quiet(m_pSlider);
    m_pSlider->setValue(volume != nullptr ? static_cast<int>(volume->GetVolume()) : 0);
    return true;
}

void CVolumeDialog::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) {
        hide();
    }
}
