#pragma once
// The installed programs the setup guide offers for the allow-list: the
// desktop's application entries a menu would show, minus system tools and
// the suite's own programs (recognised by words in their names).

#include <string>
#include <vector>

namespace console {

struct tagInstalledProgram {
    std::string name;        // what the desktop's menu shows
    std::string desktopFile; // the entry; adding it resolves program, arguments and name
    std::string program;     // the program its Exec line starts
    std::string icon;        // the entry's Icon: a theme name or a file
};

// Whether a name carries one of the words of system software, drivers and
// the suite itself ("Microsoft", "Update", "Tavi", ...): case-sensitive.
bool IsExcludedProgramName(const std::string& name);

// The entries of `folders` (ApplicationFolders() for the user's desktop)
// that are shown in menus, are not excluded by name and whose program
// exists and may be run; ordered by name, one per name (the entry first
// in desktop-file id order).
std::vector<tagInstalledProgram> InstalledPrograms(const std::vector<std::string>& folders);

} // namespace console
