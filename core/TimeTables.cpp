#define SQLITE_HAS_CODEC 1
#include "core/TimeTables.h"

#include "core/CDataBase.h"

#include <sqlite3.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <variant>

namespace core {
namespace {

using Bound = std::variant<int, std::string>;

// One statement with bound values; `row` sees each result row. Errors go to
// the connection's hook.
bool Run(CDataBase& db, const char* sql, std::initializer_list<Bound> values,
         const std::function<void(sqlite3_stmt*)>& row = {}) {
    CDataBase::Trace(sql);
    sqlite3* handle = db.Handle();
    if (handle == nullptr) {
        return false;
    }
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(handle, sql, -1, &stmt, nullptr);
    int index = 1;
    for (const auto& value : values) {
        if (rc != SQLITE_OK) {
            break;
        }
        if (const int* number = std::get_if<int>(&value)) {
            rc = sqlite3_bind_int(stmt, index++, *number);
        } else {
            const auto& text = std::get<std::string>(value);
            rc = sqlite3_bind_text(stmt, index++, text.data(), static_cast<int>(text.size()),
                                   SQLITE_TRANSIENT);
        }
    }
    if (rc == SQLITE_OK) {
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            if (row) {
                row(stmt);
            }
        }
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) {
        db.ReportError(CDataBase::ConnectError(sqlite3_errmsg(handle)));
        return false;
    }
    return true;
}

bool TableExists(CDataBase& db, const char* table) {
    bool found = false;
    Run(db, "SELECT 1 FROM sqlite_master WHERE type='table' AND name=?", {std::string(table)},
        [&found](sqlite3_stmt*) { found = true; });
    return found;
}

std::string Text(sqlite3_stmt* stmt, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt, column)))
                : std::string();
}

} // namespace

bool EnsureTimeTables(CDataBase& db) {
    return Run(db,
               "CREATE TABLE IF NOT EXISTS [Schedule] ([Day] INTEGER NOT NULL, [Start] INTEGER NOT NULL, "
               "[End] INTEGER NOT NULL)",
               {}) &&
           Run(db,
               "CREATE TABLE IF NOT EXISTS [AppLimit] ([AppName] TEXT NOT NULL PRIMARY KEY, "
               "[Minutes] INTEGER NOT NULL, [Learning] INTEGER NOT NULL)",
               {});
}

bool LoadSchedule(CDataBase& db, CWeekSchedule& schedule) {
    schedule = CWeekSchedule();
    if (!TableExists(db, "Schedule")) {
        return true;
    }
    std::array<std::optional<std::vector<tagTimeSpan>>, CWeekSchedule::kDays> days;
    const bool read = Run(db, "SELECT [Day],[Start],[End] FROM [Schedule]", {}, [&days](sqlite3_stmt* stmt) {
        const int day = sqlite3_column_int(stmt, 0);
        if (day < 0 || day >= CWeekSchedule::kDays) {
            return;
        }
        auto& spans = days[static_cast<std::size_t>(day)];
        if (!spans) {
            spans.emplace();
        }
        // Out-of-range rows, and the closed-day marker (0,0), add no span.
        const int start = sqlite3_column_int(stmt, 1);
        const int end = sqlite3_column_int(stmt, 2);
        if (start >= 0 && start < end && end <= CWeekSchedule::kDayMinutes) {
            spans->push_back({start, end});
        }
    });
    for (int day = 0; day < CWeekSchedule::kDays; ++day) {
        if (days[static_cast<std::size_t>(day)]) {
            schedule.Set(day, *days[static_cast<std::size_t>(day)]);
        }
    }
    return read;
}

namespace {

// One day's rows, inside the caller's transaction.
bool WriteScheduleDay(CDataBase& db, int weekday, const CWeekSchedule::Spans& spans) {
    bool ok = Run(db, "DELETE FROM [Schedule] WHERE [Day]=?", {weekday});
    if (ok && spans) {
        if (spans->empty()) {
            ok = Run(db, "INSERT INTO [Schedule] VALUES (?,0,0)", {weekday});
        }
        for (const auto& span : *spans) {
            ok = ok && Run(db, "INSERT INTO [Schedule] VALUES (?,?,?)", {weekday, span.Start, span.End});
        }
    }
    return ok;
}

bool IsWeekday(int weekday) {
    return weekday >= 0 && weekday < CWeekSchedule::kDays;
}

} // namespace

bool SaveScheduleDay(CDataBase& db, int weekday, const CWeekSchedule::Spans& spans) {
    if (!IsWeekday(weekday) || !EnsureTimeTables(db) || !Run(db, "BEGIN", {})) {
        return false;
    }
    const bool ok = WriteScheduleDay(db, weekday, spans);
    return Run(db, ok ? "COMMIT" : "ROLLBACK", {}) && ok;
}

bool SaveScheduleDays(CDataBase& db, const CWeekSchedule& schedule, const std::vector<int>& weekdays) {
    if (!std::all_of(weekdays.begin(), weekdays.end(), IsWeekday) || !EnsureTimeTables(db) ||
        !Run(db, "BEGIN", {})) {
        return false;
    }
    bool ok = true;
    for (const int weekday : weekdays) {
        ok = ok && WriteScheduleDay(db, weekday, schedule.Day(weekday));
    }
    return Run(db, ok ? "COMMIT" : "ROLLBACK", {}) && ok;
}

bool LoadAppLimits(CDataBase& db, AppLimits& limits) {
    limits.clear();
    if (!TableExists(db, "AppLimit")) {
        return true;
    }
    return Run(db, "SELECT [AppName],[Minutes],[Learning] FROM [AppLimit]", {},
               [&limits](sqlite3_stmt* stmt) {
                   tagAppLimit limit;
                   limit.Minutes = sqlite3_column_int(stmt, 1);
                   if (limit.Minutes < 0) {
                       limit.Minutes = -1;
                   }
                   limit.Learning = sqlite3_column_int(stmt, 2) != 0;
                   limits[Text(stmt, 0)] = limit;
               });
}

bool SaveAppLimit(CDataBase& db, const std::string& appName, const tagAppLimit& limit) {
    if (!EnsureTimeTables(db)) {
        return false;
    }
    if (limit == tagAppLimit{}) {
        return Run(db, "DELETE FROM [AppLimit] WHERE [AppName]=?", {appName});
    }
    return Run(db, "INSERT OR REPLACE INTO [AppLimit] VALUES (?,?,?)",
               {appName, limit.Minutes < 0 ? -1 : limit.Minutes, limit.Learning ? 1 : 0});
}

} // namespace core
