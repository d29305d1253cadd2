#define SQLITE_HAS_CODEC 1
#include "core/InstallationSetup.h"

#include "core/CWarrowCoreInterface.h"
#include "core/ConfigTemplate.h"
#include "platform/Paths.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace core {
namespace {

constexpr const char* kSchema = R"SQL(
CREATE TABLE [System] ([ID] INTEGER, [Password] TEXT, [UserName] TEXT, [UserPwd] TEXT, [Style] INTEGER);
CREATE TABLE [AppInfo] ([AppName] TEXT NOT NULL PRIMARY KEY, [AppPath] TEXT, [Name] TEXT, [Icon] TEXT, [AppParam] TEXT);
CREATE TABLE [IEInfo] ([Left] INTEGER, [Right] INTEGER, [Name] TEXT, [Url] TEXT, [Level] INTEGER, [Key] TEXT, [IsDir] INTEGER);
CREATE TABLE [AppLog] ([ID] INTEGER PRIMARY KEY AUTOINCREMENT, [DateTime] REAL, [Content] TEXT, [Type] INTEGER);
CREATE INDEX [AppLogByTime] ON [AppLog] ([DateTime]);
)SQL";

// Stored without a path, so that it resolves to the installation folder.
constexpr const char* kBrowserEntry =
    "INSERT INTO [AppInfo] VALUES ('WarrowExplorer', '', '儿童浏览器', '', '');";

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool WriteNewFile(const std::string& path, const std::string& text, std::string& error) {
    const std::string temp = path + ".new";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = temp + ": " + std::strerror(errno);
        return false;
    }
    const bool written =
        ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) && ::fsync(fd) == 0;
    ::close(fd);
    // link() refuses to replace, so a file made meanwhile by someone else is kept.
    if (!written || ::link(temp.c_str(), path.c_str()) != 0) {
        error = path + ": " + std::strerror(errno);
        ::unlink(temp.c_str());
        return false;
    }
    ::unlink(temp.c_str());
    return true;
}

} // namespace

const char* ConfigTemplate() {
    return kConfigTemplate;
}

bool CreateDatabaseFile(const std::string& path, const std::string& password, bool withBrowserEntry,
                        std::string& error) {
    if (Exists(path)) {
        error = path + ": already exists";
        return false;
    }
    const std::string temp = path + ".new";
    ::unlink(temp.c_str());
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(temp.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_key(db, password.data(), static_cast<int>(password.size()));
    }
    std::string script =
        std::string("BEGIN;") + kSchema + (withBrowserEntry ? kBrowserEntry : "") + "COMMIT;";
    if (rc == SQLITE_OK) {
        rc = sqlite3_exec(db, script.c_str(), nullptr, nullptr, nullptr);
    }
    if (rc == SQLITE_OK) {
        rc = sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    }
    if (rc != SQLITE_OK) {
        error = path + ": " + (db ? sqlite3_errmsg(db) : "cannot create");
    }
    // Closing the last connection folds the write-ahead log into the file.
    sqlite3_close_v2(db);
    if (rc != SQLITE_OK || ::link(temp.c_str(), path.c_str()) != 0) {
        if (rc == SQLITE_OK) {
            error = path + ": " + std::strerror(errno);
        }
        ::unlink(temp.c_str());
        return false;
    }
    ::unlink(temp.c_str());
    return true;
}

SetupResult CreateMissingInstallationFiles(const std::string& folder) {
    SetupResult result;
    const std::string config = platform::JoinPath(folder, "Config.ini");
    if (!Exists(config)) {
        if (!WriteNewFile(config, ConfigTemplate(), result.error)) {
            return result;
        }
        result.created.push_back("Config.ini");
    }
    const std::string dataFolder = platform::JoinPath(folder, "DataBase");
    if (::mkdir(dataFolder.c_str(), 0755) != 0 && errno != EEXIST) {
        result.error = dataFolder + ": " + std::strerror(errno);
        return result;
    }
    const struct {
        const char* name;
        bool withBrowserEntry;
    } files[] = {{kDataBasePath, true}, {kCacheDataBasePath, false}};
    for (const auto& file : files) {
        const std::string path = platform::JoinPath(folder, file.name);
        if (Exists(path)) {
            continue;
        }
        if (!CreateDatabaseFile(path, kDataBasePassword, file.withBrowserEntry, result.error)) {
            return result;
        }
        result.created.push_back(file.name);
    }
    return result;
}

} // namespace core
