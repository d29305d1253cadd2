#define SQLITE_HAS_CODEC 1
#include "core/CLogPager.h"

#include "core/CDataBase.h"

#include <sqlite3.h>

#include <string>

namespace {

constexpr const char* kColumns = "SELECT [ID], [DateTime], [Content], [Type] FROM [AppLog]";

// A prepared statement that finalises itself.
class Statement {
public:
    Statement(CDataBase& db, const std::string& sql) : m_db(db) {
        CDataBase::Trace(sql);
        if (sqlite3_prepare_v2(db.Handle(), sql.c_str(), -1, &m_stmt, nullptr) != SQLITE_OK) {
            Fail();
        }
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Ok() const { return m_ok; }
    sqlite3_stmt* Get() const { return m_stmt; }

    // Parameters the statement does not use are skipped.
    void Bind(const char* name, std::int64_t value) {
        if (const int i = sqlite3_bind_parameter_index(m_stmt, name); m_ok && i > 0) {
            Check(sqlite3_bind_int64(m_stmt, i, value));
        }
    }
    void Bind(const char* name, const sqlite3_value* value) {
        if (const int i = sqlite3_bind_parameter_index(m_stmt, name); m_ok && i > 0 && value != nullptr) {
            Check(sqlite3_bind_value(m_stmt, i, value));
        }
    }
    // SQLITE_ROW or SQLITE_DONE; anything else is reported and ends the read.
    int Step() {
        if (!m_ok) {
            return SQLITE_ERROR;
        }
        const int rc = sqlite3_step(m_stmt);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
            Fail();
        }
        return rc;
    }

private:
    void Check(int rc) {
        if (rc != SQLITE_OK) {
            Fail();
        }
    }
    void Fail() {
        m_ok = false;
        m_db.ReportError(CDataBase::ConnectError(sqlite3_errmsg(m_db.Handle())));
    }

    CDataBase& m_db;
    sqlite3_stmt* m_stmt = nullptr;
    bool m_ok = true;
};

// Reads a row the way the table objects read one: a date that is not a
// number and a missing text keep their defaults.
tagLogInfo ReadRow(sqlite3_stmt* stmt) {
    tagLogInfo info;
    info.ID = sqlite3_column_int(stmt, 0);
    const int timeType = sqlite3_column_type(stmt, 1);
    if (timeType == SQLITE_FLOAT || timeType == SQLITE_INTEGER) {
        info.DateTime.m_dt = sqlite3_column_double(stmt, 1);
    } else if (timeType == SQLITE_NULL) {
        info.DateTime.m_status = COleDateTime::null; // a window shows no date for it
    }
    if (const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2))) {
        info.Content.assign(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt, 2)));
    }
    info.Type = sqlite3_column_int(stmt, 3);
    return info;
}

} // namespace

// Bound again as it was read, so that a page continues exactly where the
// last one ended whatever type the stored time has.
struct CLogPager::StoredValue {
    explicit StoredValue(const sqlite3_value* from) : value(sqlite3_value_dup(from)) {}
    ~StoredValue() { sqlite3_value_free(value); }
    StoredValue(const StoredValue&) = delete;
    StoredValue& operator=(const StoredValue&) = delete;
    sqlite3_value* value;
};

CLogPager::CLogPager(CDataBase* db, int pageSize, Order order)
    : m_pDB(db), m_pageSize(pageSize > 0 ? pageSize : kDefaultPageSize), m_order(order) {}

CLogPager::~CLogPager() = default;

CLogPager::Phase CLogPager::FirstPhase() const {
    return m_order == Order::NewestFirst ? Phase::Dated : Phase::Undated;
}

CLogPager::Phase CLogPager::NextPhase(Phase phase) const {
    if (phase == Phase::Done || phase != FirstPhase()) {
        return Phase::Done;
    }
    return phase == Phase::Dated ? Phase::Undated : Phase::Dated;
}

bool CLogPager::Reset() {
    m_started = false;
    return Start();
}

bool CLogPager::Start() {
    if (m_pDB == nullptr || m_pDB->Handle() == nullptr) {
        return false;
    }
    Statement newest(*m_pDB, "SELECT max([ID]) FROM [AppLog]");
    if (newest.Step() != SQLITE_ROW) {
        return false;
    }
    m_horizon = sqlite3_column_int64(newest.Get(), 0);
    m_newestSeen = m_horizon;
    m_phase = FirstPhase();
    m_haveCursor = false;
    m_cursorTime.reset();
    m_started = true;
    return true;
}

bool CLogPager::FetchMore(std::vector<tagLogInfo>& out) {
    if (!m_started && !Start()) {
        return false;
    }
    std::vector<tagLogInfo> page;
    // One row more than wanted tells whether the phase goes on, so that
    // CanFetchMore is exact and a model never asks for an empty page. The
    // cursor moves only once a whole page has been read.
    Cursor cursor{m_phase, m_haveCursor, nullptr, m_cursorId};
    if (m_cursorTime) {
        cursor.time = std::make_unique<StoredValue>(m_cursorTime->value);
    }
    while (cursor.phase != Phase::Done) {
        const std::size_t wanted = static_cast<std::size_t>(m_pageSize) - page.size();
        bool phaseGoesOn = false;
        if (!FetchPhase(cursor, wanted, page, phaseGoesOn)) {
            return false;
        }
        if (phaseGoesOn) {
            break;
        }
        cursor = Cursor{NextPhase(cursor.phase), false, nullptr, 0};
    }
    m_phase = cursor.phase;
    m_haveCursor = cursor.started;
    m_cursorTime = std::move(cursor.time);
    m_cursorId = cursor.id;
    out.insert(out.end(), std::make_move_iterator(page.begin()), std::make_move_iterator(page.end()));
    return true;
}

bool CLogPager::FetchPhase(Cursor& cursor, std::size_t wanted, std::vector<tagLogInfo>& page,
                           bool& phaseGoesOn) {
    const bool newestFirst = m_order == Order::NewestFirst;
    const char* const before = newestFirst ? "<" : ">";
    const char* const direction = newestFirst ? " DESC" : " ASC";
    std::string sql = std::string(kColumns) + " WHERE [ID] <= :horizon";
    if (cursor.phase == Phase::Dated) {
        sql += " AND [DateTime] IS NOT NULL";
        if (cursor.started) {
            // Written so that the index bounds the scan; the OR only sorts
            // out the rows of the cursor's own second.
            sql += std::string(" AND [DateTime] ") + before + "= :time AND ([DateTime] " + before +
                   " :time OR [ID] " + before + " :id)";
        }
        sql += std::string(" ORDER BY [DateTime]") + direction + ", [ID]" + direction;
    } else {
        sql += " AND [DateTime] IS NULL";
        if (cursor.started) {
            sql += std::string(" AND [ID] ") + before + " :id";
        }
        sql += std::string(" ORDER BY [ID]") + direction;
    }
    sql += " LIMIT :limit";

    Statement query(*m_pDB, sql);
    query.Bind(":horizon", m_horizon);
    query.Bind(":time", cursor.time ? cursor.time->value : nullptr);
    query.Bind(":id", cursor.id);
    query.Bind(":limit", static_cast<std::int64_t>(wanted) + 1);
    std::size_t read = 0;
    int rc;
    while ((rc = query.Step()) == SQLITE_ROW) {
        if (read == wanted) {
            phaseGoesOn = true;
            continue;
        }
        ++read;
        page.push_back(ReadRow(query.Get()));
        cursor.started = true;
        cursor.id = page.back().ID;
        cursor.time = std::make_unique<StoredValue>(sqlite3_column_value(query.Get(), 1));
    }
    return rc == SQLITE_DONE;
}

bool CLogPager::FetchNew(std::vector<tagLogInfo>& out) {
    if (!m_started && !Start()) {
        return false;
    }
    // The earliest written first, so that a burst is handed out in whole
    // pages without a gap; each page is then put in the pager's order.
    const std::string order = m_order == Order::NewestFirst
                                  ? "[DateTime] IS NULL, [DateTime] DESC, [ID] DESC"
                                  : "[DateTime] IS NOT NULL, [DateTime] ASC, [ID] ASC";
    Statement query(*m_pDB, "SELECT * FROM (" + std::string(kColumns) +
                                " WHERE [ID] > :seen ORDER BY [ID] LIMIT :limit) ORDER BY " + order);
    query.Bind(":seen", m_newestSeen);
    query.Bind(":limit", static_cast<std::int64_t>(m_pageSize));
    std::vector<tagLogInfo> rows;
    std::int64_t newest = m_newestSeen;
    int rc;
    while ((rc = query.Step()) == SQLITE_ROW) {
        rows.push_back(ReadRow(query.Get()));
        newest = std::max<std::int64_t>(newest, sqlite3_column_int64(query.Get(), 0));
    }
    if (rc != SQLITE_DONE) {
        return false;
    }
    m_newestSeen = newest;
    out.insert(out.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
    return true;
}
