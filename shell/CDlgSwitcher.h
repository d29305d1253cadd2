#pragma once
// The shell's taskbar along the bottom edge: start button, one button per
// window of an allowed program (in window-id order), volume button and clock.

#include "shell/WindowAdmission.h"
#include "skin/CGlazeDialog.h"

#include <QTime>
#include <QTimer>

#include <functional>
#include <map>

class CBtnSwitcher;
class CGlazeButton;
class CGlazeStatic;
class CVolumeDialog;
class QMenu;

class CDlgSwitcher : public CGlazeDialog, public ITaskbar {
public:
    explicit CDlgSwitcher(QWidget* owner);
    ~CDlgSwitcher() override;
    bool OnInitDialog();

    bool AddButton(unsigned long window, const std::string& caption, const std::string& program) override;
    bool RemoveButton(unsigned long window) override;
    void Arrange() override;
    void UpdateClock();
    // Where the clock reads the time; the system clock when empty (tests
    // set their own).
    void SetTimeSource(std::function<QTime()> clock) { m_clock = std::move(clock); }

    // The window menu of a task button, acting on `window`.
    void OpenWindowMenu(unsigned long window, const QPoint& where);
    void OnMenuCommand(int id);
    // During a rest the task buttons and their menus do nothing; the start
    // button still opens the exit dialog.
    void SetTasksLocked(bool locked) { m_bTasksLocked = locked; }
    bool TasksLocked() const { return m_bTasksLocked; }

    // The buttons in window-id order.
    const std::map<unsigned long, CBtnSwitcher*>& Buttons() const { return m_buttons; }
    CGlazeButton* StartButton() const { return m_pStart; }
    CGlazeStatic* Clock() const { return m_pClock; }
    CVolumeDialog* Volume() const { return m_pVolume; }

    static CDlgSwitcher* Instance();

    enum : int { ID_RESTORE = 32775, ID_MINIMISE = 32776, ID_MAXIMISE = 32777, ID_CLOSE = 32778 };

protected:
    void OnOK() override {}
    void OnCancel() override {}
    bool OnEraseBkgnd(QPainter* dc) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void PlaceControls();
    void OnStart();
    void OnVolume();

    std::map<unsigned long, CBtnSwitcher*> m_buttons;
    CGlazeButton* m_pStart;
    CGlazeButton* m_pVolumeButton;
    CGlazeStatic* m_pClock;
    CVolumeDialog* m_pVolume;
    QMenu* m_pMenu = nullptr;
    unsigned long m_menuTarget = 0;
    QTimer m_clockTimer;
    bool m_bTasksLocked = false;
    std::function<QTime()> m_clock;
};
