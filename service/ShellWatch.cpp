#include "service/ShellWatch.h"

void ShellWatch::Started(pid_t pid, bool childAccount) {
    m_active = true;
    m_childAccount = childAccount;
    m_restartDue = false;
    m_shell = platform::ProcessHandle::Open(pid);
    if (!m_shell.Valid()) {
        Ended(); // already gone: in child mode it has to come back
    }
}

void ShellWatch::Stop() {
    m_active = false;
    m_restartDue = false;
    m_shell = platform::ProcessHandle();
}

void ShellWatch::Ended() {
    m_shell = platform::ProcessHandle();
    m_restartDue = m_active && !m_childAccount;
}

long ShellWatch::DueInMs(Clock::time_point now) const {
    if (!m_restartDue) {
        return -1;
    }
    if (m_restarts.size() < kMaxRestarts) {
        return 0;
    }
    const auto due = m_restarts.front() + std::chrono::minutes(1);
    return due <= now ? 0 : std::chrono::duration_cast<std::chrono::milliseconds>(due - now).count() + 1;
}

void ShellWatch::Restarting(Clock::time_point now) {
    m_restartDue = false;
    while (!m_restarts.empty() && m_restarts.front() + std::chrono::minutes(1) <= now) {
        m_restarts.pop_front();
    }
    m_restarts.push_back(now);
}
