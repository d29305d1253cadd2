#pragma once

#include <string>

// The copy of the settings a child account's programs may read. In the
// child-account installation the settings database is closed to the child
// (the key is in every program, so a readable database is an open one); the
// service writes this second file, readable by everyone, with what the
// child's shell and browser need: the allow-list, the web tree, the week
// schedule and per-program limits, and the account record without its
// passwords. The activity log table is there, empty: the child's lines go
// through the service.
namespace core {

constexpr const char* kChildViewPath = "DataBase/ChildView.db";

// Writes `viewPath` afresh from the database at `mainPath` in one consistent
// read, then replaces the old copy by a rename: a reader sees the old copy
// or the new one, never half of one. False with the reason otherwise.
bool WriteChildView(const std::string& mainPath, const std::string& password, const std::string& viewPath,
                    std::string& error);

} // namespace core
