#pragma once
// The admission's view of the X session, through the window guard.

#include "shell/WindowAdmission.h"

class CXWindowSystem : public IWindowSystem {
public:
    pid_t PidOf(unsigned long window) override;
    std::string ExecutableOf(pid_t pid) override;
    // WM_DELETE_WINDOW now; a window still there a second later loses its
    // X connection, which ends programs that ignore the request.
    void Refuse(unsigned long window, pid_t pid) override;

    // How long a refused window may take to close.
    static constexpr int kRefuseGraceMs = 1000;
};
