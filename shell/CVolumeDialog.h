#pragma once
// The taskbar's volume popup: a vertical slider, loud at the top, that sets
// the master volume as it moves. It hides when it loses the focus.

#include <QDialog>

class QSlider;

class CVolumeDialog : public QDialog {
public:
    explicit CVolumeDialog(QWidget* parent = nullptr);
    bool OnInitDialog();
    QSlider* Slider() const { return m_pSlider; }

protected:
    void changeEvent(QEvent* event) override;

private:
    QSlider* m_pSlider;
};
