#include "service/CWarrowApp.h"

#include "core/CWarrowCoreInterface.h"
#include "platform/ConsoleSession.h"
#include "platform/ServiceRequest.h"
#include "service/CLogRetention.h"
#include "service/CMainShell.h"
#include "service/CService.h"
#include "service/ChildRequests.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>
#include <vector>

namespace {

sigset_t ControlSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    return set;
}

std::vector<std::string>& RegisteredNames() {
    static std::vector<std::string> names;
    return names;
}

} // namespace

unsigned int RegisterWindowMessageA(const char* name) {
    if (name == nullptr || *name == '\0') {
        return 0;
    }
    auto& names = RegisteredNames();
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == name) {
            return 0xC000u + static_cast<unsigned>(i);
        }
    }
    names.emplace_back(name);
    return 0xC000u + static_cast<unsigned>(names.size() - 1);
}

CWarrowApp::~CWarrowApp() {
    if (m_signalFd >= 0) {
        ::close(m_signalFd);
    }
    if (s_current == this) {
        s_current = nullptr;
    }
}

bool CWarrowApp::WinInit() {
    const sigset_t set = ControlSignals();
    if (::sigprocmask(SIG_BLOCK, &set, nullptr) != 0) {
        return false;
    }
    m_signalFd = ::signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
    s_current = this;
    return m_signalFd >= 0;
}

bool CWarrowApp::InitInstance() {
    std::string error;
    if (!m_socket.Open(platform::ServiceSocketPath(), &error)) {
        LogEvent("%s", error.c_str());
        return false;
    }
    return true;
}

void CWarrowApp::HandleSignals() {
    signalfd_siginfo info{};
    while (::read(m_signalFd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        CService* service = CService::Instance();
        if (service == nullptr) {
            continue;
        }
        // systemd stops a service with SIGTERM; SIGINT is Ctrl-C in a terminal.
        service->Control(info.ssi_signo == SIGHUP ? CService::SERVICE_CONTROL_INTERROGATE
                                                  : CService::SERVICE_CONTROL_STOP);
    }
}

bool CWarrowApp::PumpControls() {
    if (m_signalFd >= 0) {
        HandleSignals();
    }
    return m_quit;
}

void CWarrowApp::HandleMessages() {
    std::string datagram;
    platform::DatagramSender sender;
    while (m_socket.Receive(datagram, sender)) {
        HandleRequest(datagram, sender);
        platform::DropReply(sender);
    }
}

void CWarrowApp::HandleRequest(const std::string& datagram, platform::DatagramSender& sender) {
    std::string name;
    std::string text;
    const std::optional<uid_t> seat = platform::ActiveSeatUser();
    if (platform::ParseServiceRequest(datagram, name, text)) {
        if (!MayAskForChild(sender.uid, seat, IsChildAccount(seat))) {
            m_refusals.Refused(sender.uid, sender.pid, name, "not the child at the computer");
            return;
        }
        m_child.Handle(name, text, sender);
        return;
    }
    long wParam = 0;
    if (!platform::ParseServiceMessage(datagram, name, wParam)) {
        return;
    }
    if (name == platform::kChangeStyleMessage) {
        const StyleVerdict verdict = JudgeStyleRequest(sender.uid, wParam, seat, IsChildAccount(seat));
        if (verdict != StyleVerdict::Allowed) {
            m_refusals.Refused(sender.uid, sender.pid, "ChangeStyle [" + std::to_string(wParam) + "]",
                               DescribeVerdict(verdict));
            return;
        }
    }
    PreTranslateMessage(name, wParam);
}

void RefusalLog::Refused(uid_t sender, pid_t pid, const std::string& what, const char* why) {
    // One line per ten seconds at most: a sender cannot flood the journal.
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    if (m_logged && now.tv_sec - m_last < 10) {
        ++m_suppressed;
        return;
    }
    if (m_suppressed > 0) {
        LogEvent("Refused %s from uid %d (pid %d): %s (and %ld more refused)", what.c_str(),
                 static_cast<int>(sender), static_cast<int>(pid), why, m_suppressed);
    } else {
        LogEvent("Refused %s from uid %d (pid %d): %s", what.c_str(), static_cast<int>(sender),
                 static_cast<int>(pid), why);
    }
    m_logged = true;
    m_last = now.tv_sec;
    m_suppressed = 0;
}

void CWarrowApp::PreTranslateMessage(const std::string& name, long wParam) {
    // Names are compared, not registered: a sender cannot grow the table.
    if (WRM_CHANGESTYLE == 0 || name != platform::kChangeStyleMessage) {
        return;
    }
    LogEvent("Recieve ChangeStyle [%d]", static_cast<int>(wParam));
    CMainShell::Get()->OnChangeStyle(wParam);
}

void CWarrowApp::Run() {
    LogEvent("Begin Run Msg");
    // The first clean-up of the activity log starts once the program for the
    // person at the computer is on its way, then once a day.
    CLogRetention retention([] { return CWarrowCoreInterface::Get()->GetLog(); }, "Config.ini");
    const int retentionFd = retention.Arm(0) ? retention.Descriptor() : -1;
    while (!m_quit) {
        CMainShell* shell = CMainShell::Get();
        pollfd fds[4] = {{m_signalFd, POLLIN, 0},
                         {m_socket.Descriptor(), POLLIN, 0},
                         {retentionFd, POLLIN, 0},
                         {shell->ShellDescriptor(), POLLIN, 0}};
        // The only timed wait: a shell restart held back by the restart limit.
        const long due = shell->ShellRestartDueInMs();
        const int ready = ::poll(fds, 4, due < 0 ? -1 : static_cast<int>(std::min(due, 60000L)));
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            LogEvent("poll: %s", std::strerror(errno));
            return;
        }
        if (fds[0].revents != 0) {
            HandleSignals();
        }
        // Requests first: a shell that asked for the console before it ended
        // is not started again.
        if (fds[1].revents != 0 && !m_quit) {
            HandleMessages();
        }
        if (fds[2].revents != 0 && !m_quit) {
            retention.OnTimer();
        }
        if (fds[3].fd >= 0 && fds[3].revents != 0 && !m_quit) {
            shell->OnShellEnded();
        }
        if (!m_quit) {
            shell->RestartShellIfDue();
        }
    }
}
