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

// The activity log: loaded once, appended to in memory and in the table at once.
class CWarrowLog {
public:
    virtual ~CWarrowLog() = default;

    bool Init(const char* path, const char* password);
    void SetDataBase(CDataBase* db) { m_pDB = db; }
    bool Load();
    // Appends a line stamped with the current local time, type 0.
    void Log(const char* text);
    // Calls fn for every line, oldest first; an empty function does nothing.
    void ForEach(const std::function<void(tagLogInfo&)>& fn);
    void Clear();
    std::size_t Size() const { return m_lines.size(); }

protected:
    void AddLog(tagLogInfo& info);

private:
    CDataBase* m_pDB = nullptr;
    std::vector<tagLogInfo> m_lines;
};
