#include "tools/warrowctl/TimeCommands.h"

#include "core/COleDateTime.h"
#include "core/CWarrowCoreInterface.h"
#include "core/TimeTables.h"
#include "core/UsageClock.h"
#include "core/UsageReport.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace warrowctl {
namespace {

constexpr int kOk = 0;
constexpr int kRefused = 1;
constexpr int kError = 2;
constexpr int kDefaultDays = 14;
constexpr int kMostDays = 366;

int Fail(int status, const std::string& message) {
    std::fprintf(stderr, "warrowctl: %s\n", message.c_str());
    return status;
}

bool ParseNumber(const std::string& text, long low, long high, long& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0' && errno == 0 && value >= low && value <= high;
}

std::string DayText(int day) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", day / 10000, day / 100 % 100, day % 100);
    return text;
}

// Names are printed as stored, with tabs and line breaks escaped, so that
// each record stays on its line.
std::string Field(const std::string& text) {
    std::string out;
    for (const char c : text) {
        out += c == '\t'   ? std::string("\\t")
               : c == '\n' ? std::string("\\n")
               : c == '\\' ? "\\\\"
                           : std::string(1, c);
    }
    return out;
}

} // namespace

int Schedule(CDataBase& db, const Args& a) {
    if (a.size() == 1 && a[0] == "list") {
        core::CWeekSchedule week;
        if (!core::LoadSchedule(db, week)) {
            return Fail(kError, "cannot read the schedule");
        }
        for (int day = 0; day < core::CWeekSchedule::kDays; ++day) {
            const auto& spans = week.Day(day);
            std::printf("%s\t%s\n", core::WeekdayName(day), spans ? core::FormatSpans(*spans).c_str() : "-");
        }
        return kOk;
    }
    const std::optional<int> day = a.size() >= 2 ? core::ParseWeekday(a[1]) : std::nullopt;
    if (a.size() == 3 && a[0] == "set" && day) {
        const auto spans = core::ParseSpans(a[2]);
        if (!spans) {
            return Fail(kError,
                        "schedule: expected HH:MM-HH:MM[,HH:MM-HH:MM...] (end up to 24:00) or none, not '" +
                            a[2] + "'");
        }
        core::CWeekSchedule week;
        week.Set(*day, *spans); // joined and sorted as the shell reads them
        return core::SaveScheduleDay(db, *day, week.Day(*day)) ? kOk
                                                               : Fail(kError, "cannot save the schedule");
    }
    if (a.size() == 2 && a[0] == "clear" && day) {
        return core::SaveScheduleDay(db, *day, std::nullopt) ? kOk : Fail(kError, "cannot save the schedule");
    }
    return Fail(kError, "schedule: expected list, set DAY HH:MM-HH:MM[,...]|none or clear DAY "
                        "(DAY: mon tue wed thu fri sat sun)");
}

int AppTime(CDataBase& db, const Args& a) {
    core::AppLimits limits;
    if (!core::LoadAppLimits(db, limits)) {
        return Fail(kError, "cannot read the program limits");
    }
    if (a.size() == 1 && a[0] == "limits") {
        for (const auto& [name, limit] : limits) {
            std::printf("%s\t%s\t%s\n", Field(name).c_str(),
                        limit.Minutes < 0 ? "none" : std::to_string(limit.Minutes).c_str(),
                        limit.Learning ? "learning" : "-");
        }
        return kOk;
    }
    if (a.size() != 3 || (a[0] != "limit" && a[0] != "learning")) {
        return Fail(kError, "apps: expected limits, limit NAME MINUTES|none or learning NAME on|off");
    }
    // An entry that left the allow-list can still have its settings taken back.
    if (CWarrowCoreInterface::Get()->GetWLMng()->Find(a[1].c_str()) == nullptr && limits.count(a[1]) == 0) {
        return Fail(kRefused, a[1] + ": no such application");
    }
    core::tagAppLimit limit = limits.count(a[1]) ? limits[a[1]] : core::tagAppLimit{};
    if (a[0] == "limit") {
        long minutes = -1;
        if (a[2] != "none" && !ParseNumber(a[2], 0, 1440, minutes)) {
            return Fail(kError, "apps limit: expected minutes 0..1440 or none, not '" + a[2] + "'");
        }
        limit.Minutes = static_cast<int>(minutes);
    } else {
        if (a[2] != "on" && a[2] != "off") {
            return Fail(kError, "apps learning: expected on or off, not '" + a[2] + "'");
        }
        limit.Learning = a[2] == "on";
    }
    return core::SaveAppLimit(db, a[1], limit) ? kOk : Fail(kError, "cannot save the program limits");
}

int Usage(CDataBase& db, const Args& a) {
    long days = kDefaultDays;
    if (!(a.empty() || (a.size() == 2 && a[0] == "--days" && ParseNumber(a[1], 1, kMostDays, days)))) {
        return Fail(kError, "usage: expected [--days N] with N from 1 to 366");
    }
    core::tagUsageReport report;
    const int today = core::CSystemUsageClock().Now().Day;
    if (!core::ComputeUsage(db, today, static_cast<int>(days), COleDateTime::GetCurrentTime().m_dt, report)) {
        return Fail(kError, "cannot read the activity log");
    }
    // Newest day first, programs by minutes; a day without use prints nothing.
    for (auto day = report.Days.rbegin(); day != report.Days.rend(); ++day) {
        std::vector<std::pair<std::string, std::int64_t>> programs(day->Seconds.begin(), day->Seconds.end());
        std::stable_sort(programs.begin(), programs.end(),
                         [](const auto& x, const auto& y) { return x.second > y.second; });
        for (const auto& [name, seconds] : programs) {
            std::printf("%s\t%s\t%lld\n", DayText(day->Day).c_str(), Field(name).c_str(),
                        static_cast<long long>(core::RoundMinutes(seconds)));
        }
    }
    for (const auto& [name, seconds] : report.TopWeek) {
        std::printf("week\t%s\t%lld\n", Field(name).c_str(),
                    static_cast<long long>(core::RoundMinutes(seconds)));
    }
    return kOk;
}

} // namespace warrowctl
