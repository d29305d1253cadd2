#pragma once

#include "core/COleDateTime.h"

#include <functional>
#include <string>
#include <vector>

class CDataBase;

// One line of the activity log (table AppLog).
struct tagLogInfo {
    int ID = 0;
    COleDateTime DateTime;
    std::string Content;
    int Type = 0;
};

// The activity log. Appending writes the table at once and reads nothing.
// The in-memory list of every line is filled the first time a caller asks
// for it (ForEach, Size), not at start: most programs only ever append, and
// the table grows with every window and page the child opens. Callers that
// show the log page through it with CLogPager instead.
class CWarrowLog {
public:
    virtual ~CWarrowLog() = default;

    // Connects and reads the whole table (Load).
    bool Init(const char* path, const char* password);
    void SetDataBase(CDataBase* db) { m_pDB = db; }
    CDataBase* GetDataBase() const { return m_pDB; }
    // Reads the whole table into memory, oldest first. False when the query
    // fails or the table is empty; the list is then left as it was.
    bool Load();
    // Appends a line stamped with the current local time, type 0. False when
    // the line could not be stored.
    bool Log(const char* text);
    // Calls fn for every line, oldest first; an empty function does nothing.
    void ForEach(const std::function<void(tagLogInfo&)>& fn);
    // Deletes every row with one statement.
    bool Clear();
    std::size_t Size();
    // Whether the in-memory list holds the table (read, or emptied by Clear).
    bool IsLoaded() const { return m_bLoaded; }

    // Deletes at most `batch` of the oldest rows stamped before `cutoff`, in
    // one short statement so that other writers never wait long. Returns the
    // number deleted, or -1 on a database error. Lines held in memory stay.
    int DeleteOlderThan(const COleDateTime& cutoff, int batch);

protected:
    bool AddLog(tagLogInfo& info);

private:
    enum class enRead { Failed, Empty, Filled };
    enRead Read();
    void FillOnFirstUse();

    CDataBase* m_pDB = nullptr;
    bool m_bLoaded = false;
    std::vector<tagLogInfo> m_lines;
};
