#include "shell/CXWindowSystem.h"

#include "platform/x11/WindowClose.h"
#include "platform/x11/WindowProcess.h"
#include "shell/ShellX.h"

#include <QTimer>

std::vector<tagWindowLook> CXWindowSystem::Look(const std::vector<unsigned long>& windows) {
    std::vector<tagWindowLook> looks(windows.size());
    if (ShellX() == nullptr) {
        return looks;
    }
    const std::vector<deskguard::tagWindowOwner> owners =
        deskguard::WindowOwners(*ShellX(), std::vector<xcb_window_t>(windows.begin(), windows.end()));
    for (size_t i = 0; i < owners.size(); ++i) {
        looks[i] = {owners[i].exists, owners[i].showing, owners[i].pid, owners[i].takesClose};
    }
    return looks;
}

std::string CXWindowSystem::ExecutableOf(pid_t pid) {
    return deskguard::ExecutablePath(pid);
}

void CXWindowSystem::RefuseAll(const std::vector<std::pair<unsigned long, tagWindowLook>>& windows) {
    if (ShellX() == nullptr) {
        return;
    }
    std::vector<xcb_window_t> ids;
    std::vector<deskguard::tagWindowOwner> owners;
    std::vector<std::pair<xcb_window_t, pid_t>> followUp;
    for (const auto& [window, look] : windows) {
        ids.push_back(static_cast<xcb_window_t>(window));
        owners.push_back({look.exists, look.showing, look.pid, look.canBeAsked});
        followUp.emplace_back(static_cast<xcb_window_t>(window), look.pid);
    }
    // The look was taken in this same pass: closing needs no round trip.
    deskguard::CloseAsLooked(*ShellX(), ids, owners);
    QTimer::singleShot(kRefuseGraceMs, [followUp] {
        if (ShellX() != nullptr) {
            deskguard::KillClients(*ShellX(), followUp);
        }
    });
}
