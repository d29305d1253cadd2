#pragma once

#include "core/WeekSchedule.h"

#include <map>
#include <string>
#include <vector>

class CDataBase;

namespace core {

// What the parent set for one allowed program, by its AppName.
struct tagAppLimit {
    int Minutes = -1;      // daily limit; -1 for none
    bool Learning = false; // time in it alone does not use play time
    bool operator==(const tagAppLimit&) const = default;
};
using AppLimits = std::map<std::string, tagAppLimit>;

// The schedule and the program limits live in tables of their own
// (Schedule, AppLimit) beside the older ones, which stay as they were:
// programs that do not know them never read them. Files made before the
// tables existed get them from the first writer; readers take a missing
// table for "nothing set".
bool EnsureTimeTables(CDataBase& db);

bool LoadSchedule(CDataBase& db, CWeekSchedule& schedule);
// Replaces one day's rows in one transaction (a day without spans is
// stored as closed; Clear removes the day's rows).
bool SaveScheduleDay(CDataBase& db, int weekday, const CWeekSchedule::Spans& spans);
// Replaces the rows of the given days with those of `schedule`, all in one
// transaction: either every day is stored or none is.
bool SaveScheduleDays(CDataBase& db, const CWeekSchedule& schedule, const std::vector<int>& weekdays);

bool LoadAppLimits(CDataBase& db, AppLimits& limits);
// Stores the entry; an entry back at the defaults is removed.
bool SaveAppLimit(CDataBase& db, const std::string& appName, const tagAppLimit& limit);

} // namespace core
