#pragma once
// Names that come from an update server (the version list's File and Run
// values) or from the command line end up as paths on this computer. These
// checks keep every such path inside the folder it is meant for.

#include <string>
#include <string_view>

namespace update {

// A relative path that cannot leave the folder it is taken against: not
// empty, not absolute, no "..", no backslash, no NUL or other control character.
bool IsSafeRelativePath(std::string_view path);

// One plain file name: a safe relative path without any '/'.
bool IsPlainFileName(std::string_view name);

// The file name a package is stored under in "Update/": the text after the
// last '/' of the File value, up to a query ('?') or fragment ('#'). Empty
// when File is not a safe relative path or names no file.
std::string PackageFileName(std::string_view file);

} // namespace update
