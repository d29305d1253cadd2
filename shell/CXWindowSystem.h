#pragma once
// The admission's view of the X session, through the window guard.

#include "shell/WindowAdmission.h"

class CXWindowSystem : public IWindowSystem {
public:
    std::vector<tagWindowLook> Look(const std::vector<unsigned long>& windows) override;
    std::string ExecutableOf(pid_t pid) override;
    // WM_DELETE_WINDOW now; a window still there a second later loses its
    // X connection, which ends programs that ignore the request. One timer
    // follows up a whole batch.
    void RefuseAll(const std::vector<std::pair<unsigned long, tagWindowLook>>& windows) override;

    // How long a refused window may take to close.
    static constexpr int kRefuseGraceMs = 1000;
};
