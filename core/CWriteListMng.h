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
    // The first entry, in name order, that admits the program file `path`
    // (Admits). Null for an empty path: a program whose file is unknown
    // never matches.
    tagAppInfo* FindPath(const char* path);
    void Del(const char* name, bool toDB);
    void Clear(bool toDB);
    // Calls fn for every entry in name order; an empty function does nothing.
    void ForEach(const std::function<void(tagAppInfo&)>& fn);
    std::size_t Size() const { return m_apps.size(); }

    // Whether an entry admits the program file `program` (an absolute path),
    // comparing canonical paths: its own program file (AppPath itself, or
    // AppName in the folder AppPath), and any other file below its folder
    // when that folder is not a shared system folder and only root can
    // write from that folder down to the file. So an entry for one game in
    // /usr/bin admits that game alone, one for a game folder under /opt
    // admits its helper programs too.
    // The entry's canonical forms are worked out once and kept until the
    // list changes: a lookup then costs no file system call unless the
    // program lies below an entry's folder.
    bool Admits(const tagAppInfo& info, const std::string& program);
    // Folders that hold programs of many packages (/usr/bin, /usr/lib, ...),
    // the folders above them, and folders anyone may write to.
    static bool IsSharedSystemFolder(const std::string& folder);

protected:
    bool AddByDB(const char* name, const tagAppInfo& info);
    void DelByDB(const char* name);
    void ClearByDB();

private:
    // What Admits needs of an entry, from the file system.
    struct tagCanonicalEntry {
        std::string appPath; // the entry as it was resolved
        std::string appName;
        std::string path;    // AppPath, canonical
        std::string program; // AppName in AppPath, canonical
        bool folder = false; // AppPath is a folder that may admit more than its program
    };
    const tagCanonicalEntry& CanonicalOf(const tagAppInfo& info);

    std::map<std::string, tagAppInfo> m_apps;
    std::map<const tagAppInfo*, tagCanonicalEntry> m_canonical;
};
