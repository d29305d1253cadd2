#pragma once

#include <string>
#include <vector>

namespace core {

// Creates what a new installation folder is missing: Config.ini from the
// template, DataBase/DataBase.db and DataBase/Cache.db with their tables and
// the child browser's allow-list entry. Existing files are never touched.
struct SetupResult {
    std::vector<std::string> created; // paths relative to the folder
    std::string error;                // empty on success
};
SetupResult CreateMissingInstallationFiles(const std::string& folder);

// Creates one encrypted database file with the suite's tables; fails when
// the file already exists. The file appears whole or not at all.
bool CreateDatabaseFile(const std::string& path, const std::string& password, bool withBrowserEntry,
                        std::string& error);

// The Config.ini a new installation starts with.
const char* ConfigTemplate();

} // namespace core
