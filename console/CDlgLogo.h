#pragma once
// The floating logo beside the main window's lower left corner.

#include "skin/CGlazeDialog.h"

class CDlgLogo : public CGlazeDialog {
public:
    explicit CDlgLogo(QWidget* owner);
    bool OnInitDialog();

    static constexpr int kWidth = 127;
    static constexpr int kHeight = 116;

protected:
    void OnOK() override {}
    void OnCancel() override {}
};
