#pragma once
// The pictures of programs in the console's lists: the icon a desktop entry
// names for the program, else an icon of the theme named like the program,
// else a generic program icon.

#include <QIcon>

#include <string>

namespace console {

// An entry's Icon text: a file when absolute, otherwise a name in the icon theme.
QIcon IconOfEntry(const std::string& icon);

// `program` is the program's full path, `fileName` its name in the allow-list.
QIcon ProgramIcon(const std::string& program, const std::string& fileName);

// Makes a launcher found outside the menu folders (dropped from a desktop
// folder, say) give its icon to its program for the rest of the run.
void RememberLauncherIcon(const std::string& program, const std::string& icon);

// The generic picture, and the one of the list's "add" row.
QIcon GenericProgramIcon();
QIcon AddIcon();

} // namespace console
