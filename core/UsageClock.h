#pragma once

#include <cstdint>
#include <ctime>

namespace core {

// A moment as the schedule and the daily counters see it: the local
// calendar day and the minute of that day.
struct tagLocalTime {
    int Day = 0;    // yyyymmdd
    int Minute = 0; // 0..1439
};

// 0 Monday .. 6 Sunday for a yyyymmdd day.
int WeekdayOf(int day);
// The local time of a moment in the process's time zone.
tagLocalTime LocalTimeOf(std::time_t moment);

// Where the time limits read the time. Counting uses the monotonic clock,
// which no one can set; the wall clock only names the day and the minute.
class IUsageClock {
public:
    virtual ~IUsageClock() = default;
    virtual std::int64_t MonotonicMs() const = 0;
    virtual tagLocalTime Now() const = 0;
};

class CSystemUsageClock : public IUsageClock {
public:
    std::int64_t MonotonicMs() const override;
    tagLocalTime Now() const override;
};

} // namespace core
