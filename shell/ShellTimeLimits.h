#pragma once
// The shell's side of the time limits: reads the parent's rules, decides
// each second with the time keeper, closes the windows of programs whose
// day is used up (as the guard closes a refused program's), tells the child
// through the notice over the taskbar, and grants extra time.

#include "shell/TimeKeeper.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

class CDlgSwitcher;
class IWindowSystem;
struct tagConfig;
struct tagSystemInfo;

class CShellTimeLimits {
public:
    // Rules from the settings database and Config.ini, today's counters from
    // Config.ini; the clock stays the caller's.
    explicit CShellTimeLimits(const core::IUsageClock& clock);

    // One second of the shell. `bar` names the tracked windows; the windows
    // of a program used up are closed through `windows`.
    tagTimeDecision Tick(const tagConfig& config, const CDlgSwitcher* bar, IWindowSystem* windows);
    // The keys that store the counters, saved with the play and rest counters.
    std::vector<ltl::CIni::Entry> CounterEntries() const;
    // The parent's answer to "我还想玩一会儿": with the parent password the
    // minutes are granted and logged; false (and nothing granted) otherwise.
    bool GrantExtraTime(const tagSystemInfo& system, const std::string& typed, int minutes);
    // Whether a program may be started from the desktop now; tells the child
    // why not.
    bool MayStart(const std::string& appName, const std::string& name);

    CTimeKeeper& Keeper() { return *m_pKeeper; }

private:
    void CloseUsedUp(const std::vector<std::string>& usedUp, const CDlgSwitcher* bar, IWindowSystem* windows);

    std::unique_ptr<CTimeKeeper> m_pKeeper;
    std::set<std::pair<int, std::string>>
        m_logged; // (day, AppName): the line for a used-up day is written once
};

// The rest screen's text outside the hours of the schedule.
extern const char* const kScheduleRestText;
