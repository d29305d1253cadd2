#pragma once
// The exit dialog behind the start button: leave child mode with the parent
// password, restart or shut the computer down. Accepted means: leave.

#include "skin/CGlazeDialog.h"

class CGlazeButton;

class CDlgCloseWindows : public CGlazeDialog {
public:
    explicit CDlgCloseWindows(QWidget* parent = nullptr);
    bool OnInitDialog();

    void OnExit();
    void OnRestart();
    void OnShutdown();

    CGlazeButton* ExitButton() const { return m_pExit; }
    CGlazeButton* RestartButton() const { return m_pRestart; }
    CGlazeButton* ShutdownButton() const { return m_pShutdown; }

protected:
    void OnOK() override {} // Enter does nothing; Escape still closes

private:
    CGlazeButton* m_pExit;
    CGlazeButton* m_pRestart;
    CGlazeButton* m_pShutdown;
    CGlazeButton* m_pClose;
};
