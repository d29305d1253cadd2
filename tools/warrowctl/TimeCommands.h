#pragma once
// warrowctl's commands for the time limits: the week's schedule, the
// programs' daily limits and learning flags, and the usage figures.

#include <string>
#include <vector>

class CDataBase;

namespace warrowctl {

using Args = std::vector<std::string>;

// schedule list | set DAY HH:MM-HH:MM[,...]|none | clear DAY
int Schedule(CDataBase& db, const Args& args);
// apps limits | limit NAME MINUTES|none | learning NAME on|off
int AppTime(CDataBase& db, const Args& args);
// usage [--days N]
int Usage(CDataBase& db, const Args& args);

} // namespace warrowctl
