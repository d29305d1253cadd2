#pragma once

#include "platform/ServiceChannel.h"
#include "service/ChildService.h"
#include "service/StyleRequestPolicy.h"

#include <string>

// Logs refused requests, at most one line per ten seconds.
class RefusalLog {
public:
    void Refused(uid_t sender, pid_t pid, const std::string& what, const char* why);

private:
    bool m_logged = false;
    long m_last = 0;
    long m_suppressed = 0;
};

// The service's main loop on its one thread: no windows, it sleeps until a
// control signal (SIGTERM, SIGINT, SIGHUP) or a message on the service socket
// arrives.
class CWarrowApp {
public:
    CWarrowApp() = default;
    ~CWarrowApp();
    CWarrowApp(const CWarrowApp&) = delete;
    CWarrowApp& operator=(const CWarrowApp&) = delete;

    // Routes the control signals into the loop.
    bool WinInit();
    // Opens the service socket, the loop's message queue.
    bool InitInstance();
    // Returns when a STOP control asked the loop to end.
    void Run();
    void Quit() { m_quit = true; }
    bool QuitRequested() const { return m_quit; }
    // Handles controls that arrived while the thread was busy elsewhere;
    // true when the loop has been asked to end.
    bool PumpControls();

    static CWarrowApp* Current() { return s_current; }

private:
    void HandleSignals();
    void HandleMessages();
    void HandleRequest(const std::string& datagram, platform::DatagramSender& sender);
    void PreTranslateMessage(const std::string& name, long wParam);

    int m_signalFd = -1;
    platform::ServiceSocket m_socket;
    RefusalLog m_refusals;
    CChildService m_child{m_refusals};
    bool m_quit = false;
    static inline CWarrowApp* s_current = nullptr;
};

// Numbers for message names, the same number for the same name within the
// process; 0 for an empty name.
unsigned int RegisterWindowMessageA(const char* name);
