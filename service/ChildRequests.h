#pragma once
// What a child account's programs may ask the service to write for them,
// and the checks each request passes. The child's shell and browser cannot
// write the settings in that installation; the service stores their play
// and rest counters and their activity lines, checks the parent password for
// them, and keeps their readable copy of the settings current. Nothing else.

#include "core/DailyCounters.h"
#include "ltl/CIni.h"

#include <cstdint>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

// Root, or the person at the computer when that person is a marked child account.
bool MayAskForChild(uid_t sender, std::optional<uid_t> seatUser, bool seatUserIsChild);

// The counters the shell stores: [Time] TimeStyle and CountTime and the day's [Usage].
struct tagStoredTime {
    int TimeStyle = 0;
    std::int64_t CountTime = 0;
    core::tagDailyCounters Daily;
};

// Reads "Section/Key=Value" lines; false for any other key, a repeated key,
// or a value out of its range. `entries` are what Config.ini then gets.
bool ParseTimeStore(const std::string& text, tagStoredTime& stored, std::vector<ltl::CIni::Entry>& entries);
tagStoredTime ReadStoredTime(const ltl::CIni& ini);

enum class StoreVerdict {
    Accepted,
    CountBackwards, // the period's count went down: play time given back
    CountTooFast,   // counted faster than the clock: a rest cut short
    RestCutShort,   // play again before the rest was over
    DayAhead,       // a day later than the service's today: today's counters reset
    UsageLowered,   // the day's minute or a program's time went down
    ExtraRaised,    // more extra time than the parent granted
};
const char* DescribeStoreVerdict(StoreVerdict verdict);

// A store may only do what the shell could have done since the last one:
// count forward at most as fast as the clock (`elapsedMs` since the last
// accepted store, plus a few seconds), switch from play to rest at any time,
// from rest to play only once the rest time is counted, never lower the
// day's usage, and raise the extra time only by `extraAllowanceMs` (what a
// parent granted with the password). So a forged store can end play early
// but never give play time back.
StoreVerdict JudgeTimeStore(const tagStoredTime& before, const tagStoredTime& after, std::int64_t restTimeMs,
                            std::int64_t elapsedMs, int today, std::int64_t extraAllowanceMs);

// An activity line may be stored: at most 512 bytes, no control characters.
bool IsStorableLogLine(const std::string& text);
