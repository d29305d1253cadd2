#pragma once

#include "core/COleDateTime.h"

#include <functional>
#include <string>

class CWarrowLog;

// Keeps the activity log to the days a family chose in Config.ini
// ([Log] KeepDays=; empty or 0 keeps everything). Once a day it deletes the
// lines older than that, a small batch at a time with pauses between, so a
// program appending a line never waits behind it for long. Lines younger than
// a day always stay, whatever the setting.
class CLogRetention {
public:
    static constexpr int kBatchRows = 500;
    static constexpr long kPauseMs = 50;
    static constexpr long kDayMs = 24L * 60 * 60 * 1000;
    static constexpr int kMaxKeepDays = 36500;

    // `log` is asked for at every step: the facade's log may be replaced.
    CLogRetention(std::function<CWarrowLog*()> log, std::string configPath);
    ~CLogRetention();
    CLogRetention(const CLogRetention&) = delete;
    CLogRetention& operator=(const CLogRetention&) = delete;

    // The days to keep as Config.ini says: 0 (keep everything) for an empty,
    // missing, zero, negative or unreadable value.
    static int ReadKeepDays(const std::string& configPath);

    // Deletes one batch, starting a run (and reading the setting) when none
    // is under way. Returns the milliseconds until the next step.
    long Step(const COleDateTime& now);
    bool Running() const { return m_running; }

    // A timer for the service's poll loop: readable when a step is due.
    // Arm(0) makes the first step due at once.
    bool Arm(long delayMs);
    int Descriptor() const { return m_timerFd; }
    // Consumes the expiry, steps and arms the timer again.
    void OnTimer();

private:
    void Finish(bool failed);

    std::function<CWarrowLog*()> m_log;
    std::string m_configPath;
    int m_timerFd = -1;

    bool m_running = false;
    int m_keepDays = 0;
    COleDateTime m_cutoff;
    long m_removed = 0;
};
