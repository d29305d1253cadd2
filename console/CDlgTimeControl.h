#pragma once
// Time control: how long the child may play before a rest, and how long the
// rest lasts, each a fixed choice or custom hours and minutes. Stored only on
// "设  置", and only when both lengths are valid.

#include "skin/CGlazeDialog.h"

#include <array>

class CGlazeButton;
class CGlazeEdit;
class QButtonGroup;
class QGroupBox;
class QLabel;
class QRadioButton;

class CDlgTimeControl : public CGlazeDialog {
public:
    explicit CDlgTimeControl(QWidget* parent = nullptr);
    // Shows the stored lengths; false when the background cannot be read.
    bool OnInitDialog();
    int DoModal();

    // Radios in the dialog's order: unlimited, 2 h, 1 h, custom (play);
    // 1 h, 30 min, 10 min, custom (rest).
    QRadioButton* PlayRadio(int index) const { return m_play.at(static_cast<std::size_t>(index)); }
    QRadioButton* RestRadio(int index) const { return m_rest.at(static_cast<std::size_t>(index)); }
    CGlazeEdit* PlayHours() const { return m_pPlayHours; }
    CGlazeEdit* PlayMinutes() const { return m_pPlayMinutes; }
    CGlazeEdit* RestHours() const { return m_pRestHours; }
    CGlazeEdit* RestMinutes() const { return m_pRestMinutes; }
    CGlazeButton* SetButton() const { return m_pSet; }

    void OnOK() override;
    void OnCancel() override;

private:
    void EnableCustomFields();

    std::array<QRadioButton*, 4> m_play{};
    std::array<QRadioButton*, 4> m_rest{};
    QButtonGroup* m_pPlayGroup;
    QButtonGroup* m_pRestGroup;
    QGroupBox* m_pPlayBox;
    QGroupBox* m_pRestBox;
    CGlazeEdit* m_pPlayHours;
    CGlazeEdit* m_pPlayMinutes;
    CGlazeEdit* m_pRestHours;
    CGlazeEdit* m_pRestMinutes;
    CGlazeButton* m_pSet;
    CGlazeButton* m_pCancel;
    CGlazeButton* m_pClose;
};
