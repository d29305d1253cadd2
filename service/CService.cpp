#include "service/CService.h"

#include "platform/Paths.h"

#include <systemd/sd-daemon.h>
#include <systemd/sd-journal.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

CService::CService() {
    s_instance = this;
}

CService::~CService() {
    if (s_instance == this) {
        s_instance = nullptr;
    }
}

void CService::SetName(const char* name) {
    std::snprintf(m_name, sizeof m_name, "%s", name);
}

void CService::ReportStatus(unsigned long state) {
    m_status.dwCurrentState = state;
    if (!m_isService) {
        return;
    }
    switch (state) {
    case SERVICE_RUNNING:
        sd_notify(0, "READY=1\nSTATUS=running");
        break;
    case SERVICE_STOP_PENDING:
        sd_notify(0, "STOPPING=1\nSTATUS=stopping");
        break;
    case SERVICE_START_PENDING:
        sd_notify(0, "STATUS=starting");
        break;
    case SERVICE_STOPPED:
        sd_notify(0, "STATUS=stopped");
        break;
    default:
        break;
    }
}

void CService::Control(int control) {
    switch (control) {
    case SERVICE_CONTROL_STOP:
        ReportStatus(SERVICE_STOP_PENDING);
        Stop();
        // The handler runs on the main thread between two turns of its loop,
        // so the loop ends as soon as the handler returns: waiting for it
        // (5 s at most) costs nothing here.
        m_stopEvent = true;
        break;
    case SERVICE_CONTROL_PAUSE:
        ReportStatus(SERVICE_PAUSE_PENDING);
        Pause();
        break;
    case SERVICE_CONTROL_CONTINUE:
        ReportStatus(SERVICE_CONTINUE_PENDING);
        Continue();
        break;
    case SERVICE_CONTROL_INTERROGATE:
    case SERVICE_CONTROL_SHUTDOWN:
        break;
    default:
        LogEvent("Bad service request");
    }
}

int CService::Finish(bool initialised) {
    ReportStatus(SERVICE_STOPPED);
    if (m_stopEvent) {
        LogEvent("%s is Safe Quit!", m_name);
    }
    return initialised ? 0 : 1;
}

int CService::ServiceMain() {
    m_isService = true;
    m_status.dwServiceType = SERVICE_WIN32_OWN_PROCESS | SERVICE_WIN32_SHARE_PROCESS;
    m_status.dwControlsAccepted = SERVICE_ACCEPT_STOP;
    ReportStatus(SERVICE_START_PENDING);
    m_status.dwWin32ExitCode = 0;
    m_status.dwServiceSpecificExitCode = 0;
    m_status.dwCheckPoint = 0;
    m_status.dwWaitHint = 0;
    ReportStatus(SERVICE_RUNNING);
    platform::ChangeDirectory(platform::ProgramDirectory());
    const bool initialised = Init();
    if (initialised) {
        Run();
    }
    return Finish(initialised);
}

int CService::RunInForeground() {
    // The programs find Config.ini, the database and each other in the
    // installation folder, wherever the service was started from.
    platform::ChangeDirectory(platform::ProgramDirectory());
    const bool initialised = Init();
    if (initialised) {
        Run();
    }
    Stop();
    return Finish(initialised);
}

void LogEvent(const char* format, ...) {
    CService* service = CService::Instance();
    if (service == nullptr) {
        return;
    }
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (!service->IsService()) {
        std::printf("%s\n", text);
        std::fflush(stdout);
        return;
    }
    sd_journal_send("MESSAGE=%s", text, "PRIORITY=6", "SYSLOG_IDENTIFIER=%s", service->Name(), nullptr);
}
