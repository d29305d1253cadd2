#pragma once
// Opens a file with the desktop's handler for its type, as a double click in
// the file manager would: for a .deb that is the system's package installer.

#include <string>

namespace update {

// Starts `xdg-open <path>` detached from the updater, which may end at once.
// False when xdg-open cannot be started.
bool OpenWithDesktopHandler(const std::string& path);

} // namespace update
