#pragma once
// The child desktop: one window over the whole screen, kept below every
// other window, with the allowed applications as icons over the skin, the
// taskbar along the bottom, the window guard's messages and the play-time
// tick. Enter, Escape and close requests leave it up.

#include "shell/PlayTime.h"
#include "skin/CGlazeDialog.h"

#include <QTimer>

#include <memory>
#include <string>
#include <vector>

namespace core {
class IUsageClock;
}
class CDlgClose;
class CDlgMessage;
class CDlgRest;
class CDlgSwitcher;
class CShellHookFilter;
class CShellTimeLimits;
class CWarrowControl;
class CWindowAdmission;
class CXWindowSystem;
struct tagWindowEvent;
class QListWidget;
class QListWidgetItem;

class CWarrowDlg : public CGlazeDialog {
public:
    CWarrowDlg();
    ~CWarrowDlg() override;

    // Builds the desktop; false at the first step that failed (no skin: no
    // taskbar, hook or timers; no hook or settings: no timers); FailClosed
    // shows and logs the reason.
    bool OnInitDialog();
    // Without its guard the shell offers no desktop: the screen stays dimmed
    // under the rest notice, which tells why, and the line goes to the log.
    // The start button still reaches the exit dialog.
    void FailClosed();
    // Hides the shell's windows and removes the overlay, as the shell leaves.
    void DestroyWindow();

    // Timer 0: keeps panels away and the desktop over the screen.
    void OnGuardTimer();
    // Timer 1: one second of play or rest.
    void OnTick();
    void ShowView(enShellView view);

    // The start button: the exit dialog over the dimmed screen; leaves the
    // shell's loop when the parent password was given.
    void OpenExitDialog();
    // The start menu's "我还想玩一会儿": the parent's password grants the
    // minutes. False when refused or the password was wrong.
    bool RequestExtraTime(int minutes);
    // While the start menu is open a locked desktop leaves it the keyboard.
    void SetStartMenuOpen(bool open);

    // Where the time limits read the time; the system's clocks unless a
    // test sets its own before OnInitDialog.
    void SetUsageClock(const core::IUsageClock* clock) { m_pUsageClock = clock; }
    CShellTimeLimits* TimeLimits() const { return m_pTimeLimits.get(); }
    enShellView View() const { return m_view; }

    // A batch of the window guard's messages, in the order they came.
    void OnHookMessages(const std::vector<tagWindowEvent>& events);

    static CWarrowDlg* Main();

    QListWidget* AppList() const { return m_pList; }
    CDlgSwitcher* Taskbar() const { return m_pSwitcher; }
    CDlgRest* RestNotice() const { return m_pRest; }
    CDlgClose* Overlay() const { return m_pClose; }
    CDlgMessage* MessageBox() const { return m_pMessage; }
    // The play-time tick, for tests that stop it and tick by hand.
    QTimer* TickTimer() { return &m_tickTimer; }

    static constexpr int kGuardMs = 200;
    static constexpr int kTickMs = 1000;

protected:
    void OnOK() override {}
    void OnCancel() override {}
    bool OnEraseBkgnd(QPainter* dc) override;

private:
    void BuildAppList();
    void OnAppActivated(QListWidgetItem* item);
    void ShowPlayView();
    void ShowRestView();
    void ShowScheduleView();
    void SaveTime();

    QListWidget* m_pList;
    CDlgSwitcher* m_pSwitcher = nullptr;
    CDlgRest* m_pRest = nullptr;
    CDlgClose* m_pClose = nullptr;
    CDlgMessage* m_pMessage = nullptr;
    CWarrowControl* m_pControl = nullptr;
    QTimer m_guardTimer;
    QTimer m_tickTimer;
    std::unique_ptr<CXWindowSystem> m_pWindows;
    std::unique_ptr<CWindowAdmission> m_pAdmission;
    std::unique_ptr<CShellHookFilter> m_pHookFilter;
    std::unique_ptr<CShellTimeLimits> m_pTimeLimits;
    const core::IUsageClock* m_pUsageClock = nullptr;
    enShellView m_view = enShellView::None;
    std::string m_guardFailure;
    bool m_bExitDialogOpen = false;
    bool m_bLocked = false;       // a rest, or no guard: the overlay keeps everything else away
    bool m_bFailedClosed = false; // no guard: locked for good
};
