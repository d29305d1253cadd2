#pragma once
// The setup guide's last step: the four protection settings of the security page.

#include "console/CDlgPageBase.h"

#include <array>

class CGlazeButton;

class CDlgSetupGuideStep3 : public CDlgPageBase {
public:
    explicit CDlgSetupGuideStep3(QWidget* parent);

    bool OnInitDialog() override;
    void OnCancel() override;

    // Password, basic settings, usage log, time control.
    CGlazeButton* Button(int index) const { return m_buttons.at(static_cast<std::size_t>(index)); }

private:
    std::array<CGlazeButton*, 4> m_buttons{};
};
