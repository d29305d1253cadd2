#pragma once
// Programs of the session the window guard never judges: an input method,
// a screen locker, an on-screen keyboard. One list for the whole computer,
// kept by root: one absolute program path a line, "#" starts a comment.
// A list anyone but root could change is ignored as a whole.

#include <set>
#include <string>

inline constexpr const char* kTrustedProgramsPath = "/etc/warrow/trusted-programs";

// The canonical paths of the programs listed in `path`; empty when the file
// is missing or not kept by root (owned by root, writable by nobody else,
// in a folder only root can write).
std::set<std::string> ReadTrustedPrograms(const std::string& path = kTrustedProgramsPath);

// True when `path` and every folder above it are owned by root and writable
// by nobody else: a program root installed, which no other user can have
// made or changed.
bool InstalledByRoot(const std::string& path);
