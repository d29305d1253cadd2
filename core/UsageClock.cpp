#include "core/UsageClock.h"

#include <time.h>

namespace core {

int WeekdayOf(int day) {
    std::tm tm{};
    tm.tm_year = day / 10000 - 1900;
    tm.tm_mon = day / 100 % 100 - 1;
    tm.tm_mday = day % 100;
    tm.tm_hour = 12; // away from any change of the clock
    std::time_t t = timegm(&tm);
    std::tm out{};
    gmtime_r(&t, &out);
    return (out.tm_wday + 6) % 7;
}

tagLocalTime LocalTimeOf(std::time_t moment) {
    std::tm tm{};
    localtime_r(&moment, &tm);
    tagLocalTime local;
    local.Day = (tm.tm_year + 1900) * 10000 + (tm.tm_mon + 1) * 100 + tm.tm_mday;
    local.Minute = tm.tm_hour * 60 + tm.tm_min;
    return local;
}

std::int64_t CSystemUsageClock::MonotonicMs() const {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

tagLocalTime CSystemUsageClock::Now() const {
    return LocalTimeOf(std::time(nullptr));
}

} // namespace core
