#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

// An application launcher (.desktop file): the Linux counterpart of a
// Windows shortcut. Only entries of type Application with an Exec line count.
struct DesktopEntry {
    std::string name; // Name[zh_CN] when present, else Name
    std::string icon;
    std::string workingDirectory;     // Path
    std::vector<std::string> command; // Exec split into words, field codes removed
    bool noDisplay = false;           // NoDisplay or Hidden
};

std::optional<DesktopEntry> ReadDesktopEntry(const std::string& path);
std::optional<DesktopEntry> ParseDesktopEntry(const std::string& text);

// Splits an Exec value: quoting and escapes as launchers write them, field
// codes (%f, %U, ...) dropped, "%%" kept as "%". Empty on a quoting error.
std::vector<std::string> SplitExec(const std::string& exec);

} // namespace platform
