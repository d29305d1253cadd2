#pragma once

#include "core/CBaseListMng.h"

#include <functional>
#include <map>
#include <string>

// One allowed application (table AppInfo).
struct tagAppInfo {
    std::string AppName;  // the key: the program's file name
    std::string AppPath;  // its folder (or the program itself), matched by FindPath
    std::string Icon;     // a non-empty Icon hides the entry from the child's list
    std::string Name;     // display name
    std::string AppParam; // command-line arguments
};

// The application allow-list, in memory by name, written through to table
// AppInfo on request.
class CWriteListMng : public CBaseListMng {
public:
    bool Load() override;

    // True when the name was new; an existing entry is overwritten either way.
    bool Add(const char* name, const tagAppInfo& info, bool toDB);
    tagAppInfo* Find(const char* name);
    // The first entry, in name order, whose AppPath occurs in the given path.
    tagAppInfo* FindPath(const char* path);
    void Del(const char* name, bool toDB);
    void Clear(bool toDB);
    // Calls fn for every entry in name order; an empty function does nothing.
    void ForEach(const std::function<void(tagAppInfo&)>& fn);
    std::size_t Size() const { return m_apps.size(); }

protected:
    bool AddByDB(const char* name, const tagAppInfo& info);
    void DelByDB(const char* name);
    void ClearByDB();

private:
    std::map<std::string, tagAppInfo> m_apps;
};
