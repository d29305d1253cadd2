#pragma once
// What the console's pages share: a skinned child dialog on the content-frame
// background, placed where the main window (or the setup guide) puts it, and
// two operations the owner calls to enter and leave it. Enter and Escape on a
// page change nothing.

#include "skin/CGlazeDialog.h"

class CDlgPageBase : public CGlazeDialog {
public:
    explicit CDlgPageBase(QWidget* parent);

    // Sets the content-frame background; false when it cannot be read.
    virtual bool OnInitDialog();
    // Entering and leaving the page; the setup guide's steps fill their lists
    // and add what was checked here.
    virtual void ShowPage() { show(); }
    virtual void HidePage() { hide(); }

    void OnOK() override {}
    void OnCancel() override {}
};
