#pragma once
// Basic settings: whether the computer starts the suite by itself, in which
// mode, and what happens when a new version is announced. The dialog edits a
// copy of the settings and stores it only on "设  置".

#include "core/CWarrowControl.h"
#include "skin/CGlazeDialog.h"

#include <array>

class CGlazeButton;
class CGlazeCheckButton;

class CDlgBaseSetup : public CGlazeDialog {
public:
    explicit CDlgBaseSetup(QWidget* parent = nullptr);
    // Takes the copy and shows it; false when the background cannot be read.
    bool OnInitDialog();
    int DoModal();

    // The options in the order of the dialog: auto-start, start in the
    // console, start in the child shell, update automatically, announce, ignore.
    enum enOption { AutoStart, StartParent, StartChild, UpdateAuto, UpdateAnnounce, UpdateIgnore, kOptions };
    CGlazeCheckButton* Option(enOption option) const {
        return m_options.at(static_cast<std::size_t>(option));
    }
    CGlazeButton* SetButton() const { return m_pSet; }
    const tagConfig& WorkingCopy() const { return m_config; }

    void OnOK() override;
    void OnCancel() override;

private:
    void OnOption(enOption option);
    void ShowCopy();

    tagConfig m_config;
    std::array<CGlazeCheckButton*, kOptions> m_options{};
    CGlazeButton* m_pSet;
    CGlazeButton* m_pCancel;
    CGlazeButton* m_pClose;
};
