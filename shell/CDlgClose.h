#pragma once
// The dimming layer: half-transparent black over the screen above the
// taskbar, behind the exit dialog and during rests. Keys do nothing to it.

#include "skin/CGlazeDialog.h"

class CDlgClose : public CGlazeDialog {
public:
    CDlgClose();
    // Covers the screen but the taskbar's strip, as a maximised window does.
    void ShowMaximised();

protected:
    void OnOK() override {}
    void OnCancel() override {}
    bool OnEraseBkgnd(QPainter* dc) override;
};
