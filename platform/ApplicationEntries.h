#pragma once
// The desktop entries installed for the user: the launchers a desktop's menu
// shows, found in the XDG data folders.

#include "platform/DesktopEntry.h"

#include <string>
#include <vector>

namespace platform {

// The `applications` folders, most important first: the user's
// ($XDG_DATA_HOME, else ~/.local/share), each of $XDG_DATA_DIRS (else
// /usr/local/share:/usr/share), then Flatpak's exported entries (the user's
// and the system's) when the environment did not name them already, as
// happens for programs started outside a login shell.
std::vector<std::string> ApplicationFolders();

struct InstalledEntry {
    std::string id;   // the desktop-file id: the path below its folder with '/' as '-'
    std::string file; // the .desktop file itself
    DesktopEntry entry;
};

// Every application entry below the folders (sub-folders included), one per
// desktop-file id: the entry of the earlier folder wins, so a user's copy
// replaces or hides (Hidden, NoDisplay) the system's. Files that are not
// application entries are skipped but still hide later ones of their id.
// Ordered by id.
std::vector<InstalledEntry> ScanApplications(const std::vector<std::string>& folders);

} // namespace platform
