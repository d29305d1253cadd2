#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

class CDataBase;

namespace core {

// Time in each program on one local day, from the activity log's
// "启动了[%s]." and "关闭了[%s]." lines.
struct tagUsageDay {
    int Day = 0;                                 // yyyymmdd
    std::map<std::string, std::int64_t> Seconds; // by the program's name as logged
};

struct tagUsageReport {
    std::vector<tagUsageDay> Days;                             // oldest first, the last one is `lastDay`
    std::vector<std::pair<std::string, std::int64_t>> TopWeek; // seconds in the last 7 days, most first
};

// The figures of the `days` days up to and including `lastDay` (yyyymmdd),
// with `now` (an OLE date, local time) ending programs still open. Reads
// only the start and close lines of those days (and of the day before, for
// programs open across its midnight) through the log's DateTime index.
// Several windows of one program count once while any is open; a program
// open across midnight counts on both days.
bool ComputeUsage(CDataBase& db, int lastDay, int days, double now, tagUsageReport& report);

// Minutes for showing: seconds rounded to the nearest minute.
inline std::int64_t RoundMinutes(std::int64_t seconds) {
    return (seconds + 30) / 60;
}

} // namespace core
