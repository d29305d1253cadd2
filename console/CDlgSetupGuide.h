#pragma once
// The three-step setup guide: installed programs for the allow-list, browser
// bookmarks for the web tree, then the protection settings. Steps go forward
// only; leaving a step with "下一步" applies what was checked in it, while
// "完 成", the close button and Escape leave the current step as it is.

#include "skin/CGlazeDialog.h"

#include <array>

class CDlgPageBase;
class CDlgSetupGuideStep1;
class CDlgSetupGuideStep2;
class CDlgSetupGuideStep3;
class CGlazeButton;

class CDlgSetupGuide : public CGlazeDialog {
public:
    explicit CDlgSetupGuide(QWidget* parent = nullptr);
    ~CDlgSetupGuide() override;

    // False when the background cannot be read.
    bool OnInitDialog();
    int DoModal() { return exec(); }

    // Leaves the current step (applying it) and enters step `index`
    // (clamped to the last one).
    void GoToStep(int index);
    int CurrentStep() const { return m_nCurrent; }
    // "完 成": offers child mode, then closes.
    void OnFinish();

    CDlgSetupGuideStep1* Step1() const { return m_pStep1; }
    CDlgSetupGuideStep2* Step2() const { return m_pStep2; }
    CDlgSetupGuideStep3* Step3() const { return m_pStep3; }
    CGlazeButton* NextButton() const { return m_pNext; }
    CGlazeButton* FinishButton() const { return m_pFinish; }
    CGlazeButton* CloseButton() const { return m_pClose; }

    // The open guide, or null.
    static CDlgSetupGuide* Instance();

    static constexpr int kStepCount = 3;

    // Enter does nothing; Escape cancels, leaving the current step unapplied.
    void OnOK() override {}

protected:
    // The console's main window follows the guide.
    void moveEvent(QMoveEvent* event) override;

private:
    CDlgPageBase* Step(int index) const { return m_steps.at(static_cast<std::size_t>(index)); }
    void EnableButtons(int index);

    CDlgSetupGuideStep1* m_pStep1;
    CDlgSetupGuideStep2* m_pStep2;
    CDlgSetupGuideStep3* m_pStep3;
    std::array<CDlgPageBase*, kStepCount> m_steps;
    CGlazeButton* m_pNext;
    CGlazeButton* m_pFinish;
    CGlazeButton* m_pClose;
    int m_nCurrent = 0;
};
