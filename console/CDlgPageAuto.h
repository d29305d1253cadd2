#pragma once
// The console page for smart setup: the guide, the maker's site, basic
// settings, usage log, child mode and the request dialog, as large picture
// buttons beside a short description.

#include "console/CDlgPageBase.h"

class CGlazeButton;
class CGlazeStatic;
class CGlazeTextButton;

class CDlgPageAuto : public CDlgPageBase {
public:
    explicit CDlgPageAuto(QWidget* parent);
    // The smart-setup background replaces the plain one; false when it
    // cannot be read.
    bool OnInitDialog() override;

    CGlazeButton* GuideButton() const { return m_pGuide; }
    CGlazeButton* SiteButton() const { return m_pSite; }
    CGlazeButton* BaseSetupButton() const { return m_pBaseSetup; }
    CGlazeButton* UsageLogButton() const { return m_pUsageLog; }
    CGlazeButton* EnterButton() const { return m_pEnter; }
    CGlazeTextButton* RequestButton() const { return m_pRequest; }

private:
    void OnEnterSystem();
    void OnRequest();

    CGlazeStatic* m_pDescription;
    CGlazeButton* m_pGuide;
    CGlazeButton* m_pSite;
    CGlazeButton* m_pBaseSetup;
    CGlazeButton* m_pUsageLog;
    CGlazeButton* m_pEnter;
    CGlazeTextButton* m_pRequest;
};
