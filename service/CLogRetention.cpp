#include "service/CLogRetention.h"

#include "core/CWarrowLog.h"
#include "ltl/CIni.h"
#include "service/CService.h"

#include <algorithm>
#include <cstdint>
#include <sys/timerfd.h>
#include <unistd.h>

CLogRetention::CLogRetention(std::function<CWarrowLog*()> log, std::string configPath)
    : m_log(std::move(log)), m_configPath(std::move(configPath)) {}

CLogRetention::~CLogRetention() {
    if (m_timerFd >= 0) {
        ::close(m_timerFd);
    }
}

int CLogRetention::ReadKeepDays(const std::string& configPath) {
    const ltl::CIni ini(false, 0, "", configPath.c_str());
    return std::clamp(ini.GetInt("Log", "KeepDays"), 0, kMaxKeepDays);
}

long CLogRetention::Step(const COleDateTime& now) {
    CWarrowLog* log = m_log ? m_log() : nullptr;
    if (!m_running) {
        // Read afresh each day: the parent may have changed it meanwhile.
        m_keepDays = ReadKeepDays(m_configPath);
        if (m_keepDays == 0 || log == nullptr) {
            return kDayMs;
        }
        m_cutoff = COleDateTime(now.m_dt - m_keepDays);
        m_removed = 0;
        m_running = true;
    }
    const int removed = log != nullptr ? log->DeleteOlderThan(m_cutoff, kBatchRows) : -1;
    if (removed < 0) {
        Finish(true);
        return kDayMs;
    }
    m_removed += removed;
    if (removed == kBatchRows) {
        return kPauseMs;
    }
    Finish(false);
    return kDayMs;
}

void CLogRetention::Finish(bool failed) {
    m_running = false;
    if (failed) {
        LogEvent("activity log: clean-up stopped by a database error after %ld lines", m_removed);
    } else if (m_removed > 0) {
        LogEvent("activity log: removed %ld lines older than %d days", m_removed, m_keepDays);
    }
}

bool CLogRetention::Arm(long delayMs) {
    if (m_timerFd < 0) {
        m_timerFd = ::timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK);
        if (m_timerFd < 0) {
            return false;
        }
    }
    // A zero expiry would disarm the timer: one nanosecond stands for "now".
    const long ms = std::max(delayMs, 0L);
    itimerspec spec{};
    spec.it_value.tv_sec = ms / 1000;
    spec.it_value.tv_nsec = ms % 1000 * 1000000L + (ms == 0 ? 1 : 0);
    return ::timerfd_settime(m_timerFd, 0, &spec, nullptr) == 0;
}

void CLogRetention::OnTimer() {
    std::uint64_t expiries = 0;
    if (::read(m_timerFd, &expiries, sizeof expiries) != static_cast<ssize_t>(sizeof expiries)) {
        return; // not due after all
    }
    Arm(Step(COleDateTime::GetCurrentTime()));
}
