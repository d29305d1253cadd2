#pragma once
// The admission's view of the X session, through the window guard.

#include "platform/x11/WindowManager.h"
#include "shell/WindowAdmission.h"

#include <functional>
#include <string>

class CXWindowSystem : public IWindowSystem {
public:
    // One round trip for the windows and the window manager's identity
    // (while the manager stays the same).
    std::vector<tagWindowLook> Look(const std::vector<unsigned long>& windows) override;
    std::string ExecutableOf(pid_t pid) override;
    std::string ScriptOf(pid_t pid, const std::string& executable) override;
    // WM_DELETE_WINDOW now; a grace later a window still there loses its X
    // connection; a grace after that the refused process, if it still runs,
    // gets SIGTERM (through a pidfd taken now), and SIGKILL after one more.
    // One chain of timers follows up a whole batch.
    void RefuseAll(const std::vector<std::pair<unsigned long, tagWindowLook>>& windows) override;

    // Called once, with the reason, when the X server stops telling which
    // process a window belongs to: the guard can no longer judge anything.
    void SetOnGuardLost(std::function<void(const std::string&)> onLost) { m_onGuardLost = std::move(onLost); }

    // How long a refused window may take to close.
    static constexpr int kRefuseGraceMs = 1000;

private:
    deskguard::tagManagerLook m_manager; // as the previous look found it
    std::function<void(const std::string&)> m_onGuardLost;
};
