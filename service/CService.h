#pragma once

// The reusable shell of a system service: its name, the status it reports to
// the service manager (systemd), the control handler and the log output.
class CService {
public:
    // The states and controls of a service, numbered as service managers know them.
    enum State {
        SERVICE_STOPPED = 1,
        SERVICE_START_PENDING,
        SERVICE_STOP_PENDING,
        SERVICE_RUNNING,
        SERVICE_CONTINUE_PENDING,
        SERVICE_PAUSE_PENDING,
        SERVICE_PAUSED
    };
    enum Control {
        SERVICE_CONTROL_STOP = 1,
        SERVICE_CONTROL_PAUSE,
        SERVICE_CONTROL_CONTINUE,
        SERVICE_CONTROL_INTERROGATE,
        SERVICE_CONTROL_SHUTDOWN
    };
    static constexpr unsigned long SERVICE_WIN32_OWN_PROCESS = 0x10;
    static constexpr unsigned long SERVICE_WIN32_SHARE_PROCESS = 0x20;
    static constexpr unsigned long SERVICE_ACCEPT_STOP = 1;

    struct SERVICE_STATUS {
        unsigned long dwServiceType = SERVICE_WIN32_OWN_PROCESS;
        unsigned long dwCurrentState = SERVICE_STOPPED;
        unsigned long dwControlsAccepted = SERVICE_ACCEPT_STOP;
        unsigned long dwWin32ExitCode = 0;
        unsigned long dwServiceSpecificExitCode = 0;
        unsigned long dwCheckPoint = 0;
        unsigned long dwWaitHint = 0;
    };

    CService();
    virtual ~CService();
    CService(const CService&) = delete;
    CService& operator=(const CService&) = delete;

    virtual bool Init() = 0;
    virtual void Stop() = 0;
    virtual void Pause() = 0;
    virtual void Continue() = 0;
    virtual void Run() = 0;

    static CService* Instance() { return s_instance; }

    const char* Name() const { return m_name; }
    void SetName(const char* name);
    bool IsService() const { return m_isService; }

    // Runs under the service manager: the status goes to systemd, the log to
    // the journal. Returns the process's exit status.
    int ServiceMain();
    // Runs from a terminal: Init, Run, Stop, with the log on standard output.
    int RunInForeground();

    // The control handler. The stop event is signalled once a STOP control
    // has been handled.
    void Control(int control);
    bool StopEventSignalled() const { return m_stopEvent; }

    void ReportStatus(unsigned long state);

protected:
    char m_name[256] = {};
    SERVICE_STATUS m_status;
    bool m_isService = false;

private:
    int Finish(bool initialised);

    bool m_stopEvent = false;
    static inline CService* s_instance = nullptr;
};

// printf-style log line: standard output ("%s\n") in the foreground, one
// information entry in the journal under the service name as a service,
// nothing when no service object exists. Lines are cut at 511 bytes.
void LogEvent(const char* format, ...) __attribute__((format(printf, 1, 2)));
