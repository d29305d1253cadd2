#pragma once
// The admission's view of the X session, through the window guard.

#include "shell/WindowAdmission.h"

class CXWindowSystem : public IWindowSystem {
public:
    std::vector<tagWindowLook> Look(const std::vector<unsigned long>& windows) override;
    std::string ExecutableOf(pid_t pid) override;
    std::string ScriptOf(pid_t pid, const std::string& executable) override;
    // WM_DELETE_WINDOW now; a grace later a window still there loses its X
    // connection; a grace after that the refused process, if it still runs,
    // gets SIGTERM (through a pidfd taken now), and SIGKILL after one more.
    // One chain of timers follows up a whole batch.
    void RefuseAll(const std::vector<std::pair<unsigned long, tagWindowLook>>& windows) override;

    // How long a refused window may take to close.
    static constexpr int kRefuseGraceMs = 1000;
};
