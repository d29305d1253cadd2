#include "shell/CXWindowSystem.h"

#include "platform/x11/WindowClose.h"
#include "platform/x11/WindowProcess.h"
#include "shell/ShellX.h"

#include <QTimer>

pid_t CXWindowSystem::PidOf(unsigned long window) {
    return ShellX() != nullptr ? deskguard::WindowPid(*ShellX(), static_cast<xcb_window_t>(window)) : 0;
}

std::string CXWindowSystem::ExecutableOf(pid_t pid) { return deskguard::ExecutablePath(pid); }

void CXWindowSystem::Refuse(unsigned long window, pid_t pid) {
    if (ShellX() == nullptr) {
        return;
    }
    const auto id = static_cast<xcb_window_t>(window);
    deskguard::ClosePolitely(*ShellX(), id);
    xcb_flush(ShellX()->Get());
    QTimer::singleShot(kRefuseGraceMs, [id, pid] {
        if (deskguard::WindowExists(*ShellX(), id)) {
            deskguard::KillClient(*ShellX(), id, pid);
            xcb_flush(ShellX()->Get());
        }
    });
}
