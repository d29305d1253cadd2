#include "platform/x11/DeskGuard.h"

#include "platform/x11/CPanelHider.h"
#include "platform/x11/CShellHook.h"
#include "platform/x11/SystemShutdown.h"

#include <memory>
#include <mutex>

namespace {

struct tagGuard {
    std::mutex lock;
    std::unique_ptr<deskguard::CShellHook> hook;
    deskguard::CPanelHider panels;
};

tagGuard& Guard() {
    static tagGuard guard;
    return guard;
}

} // namespace

extern "C" {

bool DG_Init(void*) {
    return true;
}

int DG_ShellHookInstall(unsigned long window) {
    try {
        tagGuard& guard = Guard();
        std::lock_guard<std::mutex> hold(guard.lock);
        guard.hook.reset();
        if (window == 0 || window > 0xFFFFFFFFul)
            return 0;
        guard.hook = deskguard::CShellHook::Install(static_cast<xcb_window_t>(window));
        return guard.hook ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

void DG_ShellHookUnistall() {
    try {
        tagGuard& guard = Guard();
        std::lock_guard<std::mutex> hold(guard.lock);
        guard.hook.reset();
    } catch (...) {
    }
}

void DG_ShowSysBar(int show) {
    try {
        tagGuard& guard = Guard();
        std::lock_guard<std::mutex> hold(guard.lock);
        if (show == 0)
            guard.panels.Hide();
        else
            guard.panels.Restore();
    } catch (...) {
    }
}

int DG_SystemShutdown(int how) {
    try {
        return deskguard::SystemShutdown(how);
    } catch (...) {
        return 0;
    }
}

void DG_UnInit() {
    try {
        tagGuard& guard = Guard();
        std::lock_guard<std::mutex> hold(guard.lock);
        guard.hook.reset();
        guard.panels.Release();
    } catch (...) {
    }
}

} // extern "C"
