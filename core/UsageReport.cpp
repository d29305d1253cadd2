#define SQLITE_HAS_CODEC 1
#include "core/UsageReport.h"

#include "core/CDataBase.h"
#include "core/COleDateTime.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>

namespace core {
namespace {

constexpr const char* kStarted = "启动了[";
constexpr const char* kClosed = "关闭了[";

double MidnightOf(int day) {
    COleDateTime date;
    date.SetDateTime(day / 10000, day / 100 % 100, day % 100, 0, 0, 0);
    return date.m_dt;
}

int DayOf(double midnight) {
    const COleDateTime date(midnight + 0.5 / 86400); // away from rounding at the boundary
    return date.GetYear() * 10000 + date.GetMonth() * 100 + date.GetDay();
}

// The program named by a start or close line; empty for any other line.
std::string ProgramOf(const std::string& content, bool& started) {
    const std::string prefix = content.substr(0, std::string(kStarted).size());
    started = prefix == kStarted;
    if (!started && prefix != kClosed) {
        return {};
    }
    if (content.size() < prefix.size() + 2 || content.compare(content.size() - 2, 2, "].") != 0) {
        return {};
    }
    return content.substr(prefix.size(), content.size() - prefix.size() - 2);
}

struct Interval {
    std::string program;
    double from, to;
};

} // namespace

bool ComputeUsage(CDataBase& db, int lastDay, int days, double now, tagUsageReport& report) {
    report = {};
    if (db.Handle() == nullptr || days <= 0) {
        return false;
    }
    const double end = MidnightOf(lastDay) + 1;
    const double begin = end - days;
    const double lookBack = begin - 1;

    // Only the lines that open or close a program, within the days asked
    // for: the DateTime index finds the range, the prefixes the lines.
    static const char* const kSql =
        "SELECT [DateTime],[Content] FROM [AppLog] WHERE [DateTime] >= ? AND [DateTime] < ? AND "
        "([Content] LIKE '启动了[%' OR [Content] LIKE '关闭了[%') ORDER BY [DateTime],[ID]";
    CDataBase::Trace(kSql);
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db.Handle(), kSql, -1, &stmt, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_bind_double(stmt, 1, lookBack);
    }
    if (rc == SQLITE_OK) {
        rc = sqlite3_bind_double(stmt, 2, end);
    }
    struct Open {
        int windows = 0;
        double since = 0;
    };
    std::map<std::string, Open> open;
    std::vector<Interval> intervals;
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(stmt);
    }
    for (; rc == SQLITE_ROW; rc = sqlite3_step(stmt)) {
        const double at = sqlite3_column_double(stmt, 0);
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
        bool started = false;
        const std::string program = ProgramOf(text ? text : "", started);
        if (program.empty()) {
            continue;
        }
        Open& state = open[program];
        if (started) {
            if (state.windows++ == 0) {
                state.since = at;
            }
        } else if (state.windows > 0 && --state.windows == 0) {
            intervals.push_back({program, state.since, at});
        }
        // A close without a start in the range: opened before it, unknown when.
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) {
        db.ReportError(CDataBase::ConnectError(sqlite3_errmsg(db.Handle())));
        return false;
    }
    for (const auto& [program, state] : open) {
        if (state.windows > 0 && state.since < now) {
            intervals.push_back({program, state.since, std::min(now, end)});
        }
    }

    std::map<std::string, std::int64_t> week;
    const double weekBegin = end - 7;
    for (int i = 0; i < days; ++i) {
        const double dayBegin = begin + i;
        tagUsageDay day;
        day.Day = DayOf(dayBegin);
        for (const auto& interval : intervals) {
            const double from = std::max(interval.from, dayBegin);
            const double to = std::min(interval.to, dayBegin + 1);
            if (to > from) {
                const auto seconds = static_cast<std::int64_t>(std::llround((to - from) * 86400));
                day.Seconds[interval.program] += seconds;
                if (dayBegin >= weekBegin - 1e-9) {
                    week[interval.program] += seconds;
                }
            }
        }
        report.Days.push_back(std::move(day));
    }
    report.TopWeek.assign(week.begin(), week.end());
    std::stable_sort(report.TopWeek.begin(), report.TopWeek.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    return true;
}

} // namespace core
