#include "service/CWarrowService.h"

#include "core/CWarrowCoreInterface.h"
#include "service/CMainShell.h"

CWarrowService::CWarrowService() {
    SetName("Warrow");
    // A start that waits for a login gives way to a stop request.
    SetStopCheck([this] { return m_pApp && m_pApp->PumpControls(); });
}

CWarrowService::~CWarrowService() {
    SetStopCheck({});
    CMainShell::Free();
    CWarrowCoreInterface::Free();
}

bool CWarrowService::StartApp() {
    m_pApp = std::make_unique<CWarrowApp>();
    if (!m_pApp->WinInit()) {
        // Without the control signals the service could never be stopped cleanly.
        LogEvent("Handler not installed");
        return false;
    }
    LogEvent("AfxWinInit ok");
    LogEvent("AppInit ok");
    if (!m_pApp->InitInstance()) {
        LogEvent("InitInstance Failed");
        return false;
    }
    LogEvent("InitInstance ok");
    return true;
}

bool CWarrowService::Init() {
    try {
        LogEvent("开始启动MFC");
        if (!StartApp()) {
            LogEvent("启动MFC出现问题");
            return false;
        }
        if (!CMainShell::Get()->Init()) {
            LogEvent("瓦罗启动初始化错误");
            return false;
        }
    } catch (...) {
        // A start-up that blew up still leaves a service that can start programs on request.
        LogEvent("瓦罗爆炸，需要支援");
    }
    LogEvent("Warrow finished.");
    return true;
}

void CWarrowService::Run() {
    if (m_pApp) {
        m_pApp->Run();
    }
    // Released on the main thread once its loop has ended, never under a start in progress.
    CMainShell::Free();
}

void CWarrowService::Stop() {
    if (m_pApp) {
        m_pApp->Quit();
    }
}
