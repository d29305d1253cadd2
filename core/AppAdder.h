#pragma once

#include <string>

class CWriteListMng;
struct tagAppInfo;

// Turns a dropped or chosen file into an allow-list entry, the way the parent
// console adds programs: an application launcher (.desktop) is resolved to
// its program, arguments and name; an executable file is taken as it is.
// Fills `info` and returns true when something was added (written to the
// table at once, replacing an entry of the same program name).
bool AddApp(CWriteListMng& list, const std::string& path, tagAppInfo* added = nullptr);

// Whether a path names something the allow-list can hold: a regular file
// with the execute bit, or an application launcher.
bool IsProgramFile(const std::string& path);
