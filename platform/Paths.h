#pragma once

#include <string>

namespace platform {

// The running program's own file, and the folder it lives in (the
// installation folder, for every program of the suite).
std::string ProgramPath();
std::string ProgramDirectory();

std::string CurrentDirectory();
bool ChangeDirectory(const std::string& folder);

// "a/b" from "a" and "b", without doubling the separator.
std::string JoinPath(const std::string& folder, const std::string& name);

// Looks a bare program name up in PATH; a name with a '/' is returned as it is.
// Empty when nothing executable is found.
std::string FindInPath(const std::string& name);

} // namespace platform
