#pragma once

#include "ltl/CIni.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace core {

// The child's counters of one local day, kept in Config.ini section
// [Usage] beside the play and rest counters and written with them in one
// atomic replace, so a restart (or a kill) goes on from the last second
// that reached the file.
struct tagDailyCounters {
    int Day = 0;    // yyyymmdd of the counters; 0 before the first tick
    int Minute = 0; // the latest minute of that day seen: the clock set back does not give time back
    std::int64_t ExtraMs = 0;                  // extra time the parent granted that is left
    std::map<std::string, std::int64_t> AppMs; // time in each program (by AppName)
    bool operator==(const tagDailyCounters&) const = default;
};

// Reads [Usage] of the file; missing or damaged values (not a number, not a
// date, negative, longer than two days) read as zero.
tagDailyCounters ReadDailyCounters(const ltl::CIni& ini);
// The same from any source of the section's values (a key missing: "").
tagDailyCounters ParseDailyCounters(const std::function<std::string(const char* key)>& value);
// The keys that store the counters, for CIni::SetStrings.
std::vector<ltl::CIni::Entry> DailyCounterEntries(const tagDailyCounters& counters);

// Config.ini [Time] Warnings: minutes before an end at which the child is
// told, "15,5,1" when the key is missing, none when it is empty. Largest
// first; values outside 1..1440 are dropped.
std::vector<int> ReadWarningMinutes(const ltl::CIni& ini);

} // namespace core
