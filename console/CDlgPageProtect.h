#pragma once
// The console page for protection: parent password, basic settings, usage
// log and time control, as four tiles over the page's own picture, and the
// week schedule in a row of its own below them.

#include "console/CDlgPageBase.h"
#include "skin/CGlazeBitmap.h"

class CGlazeButton;

class CDlgPageProtect : public CDlgPageBase {
public:
    explicit CDlgPageProtect(QWidget* parent);
    bool OnInitDialog() override;

    CGlazeButton* PasswordButton() const { return m_pPassword; }
    CGlazeButton* BaseSetupButton() const { return m_pBaseSetup; }
    CGlazeButton* UsageLogButton() const { return m_pUsageLog; }
    CGlazeButton* TimeControlButton() const { return m_pTimeControl; }
    CGlazeButton* ScheduleButton() const { return m_pSchedule; }

protected:
    // The page's picture goes over the plain background at (1, 1).
    bool OnEraseBkgnd(QPainter* dc) override;

private:
    CGlazeBitmap m_picture;
    CGlazeButton* m_pPassword;
    CGlazeButton* m_pBaseSetup;
    CGlazeButton* m_pUsageLog;
    CGlazeButton* m_pTimeControl;
    CGlazeButton* m_pSchedule;
};
