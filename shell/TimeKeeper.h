#pragma once

#include "core/DailyCounters.h"
#include "core/TimeTables.h"
#include "core/UsageClock.h"
#include "core/WeekSchedule.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class CDataBase;
struct tagConfig;

// What the parent set: the week's hours, the programs' limits and when to
// warn the child.
struct tagTimeRules {
    core::CWeekSchedule Schedule;
    core::AppLimits Apps;
    std::vector<int> WarningMinutes{15, 5, 1};
};

// The rules of an installation: its tables and Config.ini. A missing table
// or file reads as "nothing set".
tagTimeRules LoadTimeRules(CDataBase* db, const ltl::CIni& config);

// A program that has a window on the desktop now.
struct tagRunningProgram {
    std::string AppName; // allow-list key
    std::string Name;    // as the child sees it
};

// What one second of the child's time means for the shell.
struct tagTimeDecision {
    bool CountPlay = true;             // the play and rest cycle goes on this second
    bool OutsideSchedule = false;      // the schedule's rest screen: nothing counts
    bool HoldRest = false;             // extra time keeps a due rest away
    std::vector<std::string> UsedUp;   // AppNames whose windows close now
    std::vector<std::string> Warnings; // texts for the notice over the taskbar
};

// The time limits beyond the play and rest cycle: the schedule, the daily
// limits of programs, learning programs and extra time. Counts with the
// monotonic clock; the wall clock only names the day and the minute, and
// neither goes back: a clock set back keeps today's counters and the
// latest minute seen, so it grants nothing.
class CTimeKeeper {
public:
    CTimeKeeper(const core::IUsageClock& clock, tagTimeRules rules, core::tagDailyCounters counters);

    // One tick of the shell, before the play and rest cycle counts it.
    tagTimeDecision Tick(const std::vector<tagRunningProgram>& running, const tagConfig& config);
    // Extra time from the parent; it holds off a rest, the end of the
    // schedule and programs' limits while it lasts, and ends with the day.
    void Grant(int minutes);
    // The program used up its time today (and no extra time is left).
    bool IsUsedUp(const std::string& appName);

    const core::tagDailyCounters& Counters() const { return m_counters; }
    const tagTimeRules& Rules() const { return m_rules; }

private:
    void RollDay();
    bool OverLimit(const std::string& appName) const;
    void Warn(const std::string& key, std::int64_t leftMs, const std::string& format,
              tagTimeDecision& decision, std::map<std::string, std::int64_t>& seen);

    const core::IUsageClock& m_clock;
    tagTimeRules m_rules;
    core::tagDailyCounters m_counters;
    std::int64_t m_lastMs;
    std::map<std::string, std::int64_t> m_lastLeft; // per deadline, the time left at the tick before
};
