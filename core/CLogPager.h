#pragma once

#include "core/CWarrowLog.h"

#include <cstdint>
#include <memory>
#include <vector>

class CDataBase;

// Reads the activity log a page at a time through the DateTime index, for
// the usage-log window and `warrowctl log list`, so that opening a log of a
// million lines costs what opening one of a thousand does.
//
// Pages continue from the last row handed out (its time and ID), never from
// a row count, so rows written or deleted meanwhile neither shift a page nor
// show twice. The rows present at Reset are the ones FetchMore pages
// through; rows written after it come from FetchNew. Lines of the same
// second follow their IDs, the order they were written. Lines without a date
// come after all dated ones (before them, oldest first).
//
// The calls map onto an item model: canFetchMore() is CanFetchMore(),
// fetchMore() appends what FetchMore gives, and a refresh prepends FetchNew.
class CLogPager {
public:
    enum class Order { NewestFirst, OldestFirst };
    static constexpr int kDefaultPageSize = 500;

    explicit CLogPager(CDataBase* db, int pageSize = kDefaultPageSize, Order order = Order::NewestFirst);
    ~CLogPager();
    CLogPager(const CLogPager&) = delete;
    CLogPager& operator=(const CLogPager&) = delete;

    // Starts again from the first row; FetchMore does it on its first call.
    bool Reset();
    // Appends the next page (at most the page size) to `out`. False on a
    // database error, after which the same page can be asked for again.
    bool FetchMore(std::vector<tagLogInfo>& out);
    // Whether a row is left after the pages handed out so far.
    bool CanFetchMore() const { return !m_started || m_phase != Phase::Done; }
    // Appends rows written since Reset that no earlier FetchNew gave, in the
    // pager's order, at most one page per call (call again while one comes
    // back full).
    bool FetchNew(std::vector<tagLogInfo>& out);

    int PageSize() const { return m_pageSize; }

private:
    enum class Phase { Dated, Undated, Done };
    struct StoredValue; // a copy of one value as the database holds it
    using ValuePtr = std::unique_ptr<StoredValue>;
    // Where the pages have got to: the phase, and the last row handed out in it.
    struct Cursor {
        Phase phase;
        bool started;
        ValuePtr time; // that row's DateTime, as stored
        std::int64_t id;
    };

    bool Start();
    Phase FirstPhase() const;
    Phase NextPhase(Phase phase) const;
    // Appends up to `wanted` rows of the cursor's phase after the cursor and
    // moves the cursor past them; phaseGoesOn says whether rows are left.
    bool FetchPhase(Cursor& cursor, std::size_t wanted, std::vector<tagLogInfo>& page, bool& phaseGoesOn);

    CDataBase* m_pDB;
    int m_pageSize;
    Order m_order;

    bool m_started = false;
    Phase m_phase = Phase::Done;
    std::int64_t m_horizon = 0;    // the highest ID at Reset: the rows FetchMore pages through
    std::int64_t m_newestSeen = 0; // the highest ID FetchNew handed out
    bool m_haveCursor = false;     // whether the phase has handed out a row yet
    ValuePtr m_cursorTime;         // that row's DateTime, as stored
    std::int64_t m_cursorId = 0;
};
