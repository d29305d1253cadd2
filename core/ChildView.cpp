#define SQLITE_HAS_CODEC 1
#include "core/ChildView.h"

#include <sqlite3.h>

#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace core {
namespace {

// What the child's programs read; passwords stay out, the log stays empty.
constexpr const char* kCopies[] = {
    "CREATE TABLE child.[System] AS SELECT [ID], '' AS [Password], [UserName], '' AS [UserPwd], [Style] "
    "FROM main.[System]",
    "CREATE TABLE child.[AppInfo] AS SELECT * FROM main.[AppInfo]",
    "CREATE TABLE child.[IEInfo] AS SELECT * FROM main.[IEInfo]",
    "CREATE TABLE child.[AppLog] AS SELECT * FROM main.[AppLog] WHERE 0",
};
// Tables that exist once the parent used the schedule or limits.
constexpr const char* kOptionalTables[] = {"Schedule", "AppLimit"};

class Connection {
public:
    ~Connection() { sqlite3_close_v2(m_db); }
    sqlite3* m_db = nullptr;
};

bool Exec(sqlite3* db, const std::string& sql, std::string& error) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK) {
        return true;
    }
    error = message ? message : sqlite3_errmsg(db);
    sqlite3_free(message);
    return false;
}

bool Attach(sqlite3* db, const std::string& path, const std::string& password, std::string& error) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "ATTACH DATABASE ? AS child KEY ?", -1, &stmt, nullptr) != SQLITE_OK) {
        error = sqlite3_errmsg(db);
        return false;
    }
    sqlite3_bind_text(stmt, 1, path.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(stmt, 2, password.c_str(), static_cast<int>(password.size()), SQLITE_TRANSIENT);
    const bool ok = sqlite3_step(stmt) == SQLITE_DONE;
    if (!ok) {
        error = sqlite3_errmsg(db);
    }
    sqlite3_finalize(stmt);
    return ok;
}

bool HasTable(sqlite3* db, const char* table) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT 1 FROM main.sqlite_master WHERE type='table' AND name=?", -1, &stmt,
                           nullptr) != SQLITE_OK) {
        return false;
    }
    sqlite3_bind_text(stmt, 1, table, -1, SQLITE_STATIC);
    const bool found = sqlite3_step(stmt) == SQLITE_ROW;
    sqlite3_finalize(stmt);
    return found;
}

bool Copy(const std::string& mainPath, const std::string& password, const std::string& temp,
          std::string& error) {
    Connection main;
    if (sqlite3_open_v2(mainPath.c_str(), &main.m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) !=
        SQLITE_OK) {
        error = main.m_db ? sqlite3_errmsg(main.m_db) : "out of memory";
        return false;
    }
    sqlite3_busy_timeout(main.m_db, 5000);
    if (sqlite3_key(main.m_db, password.data(), static_cast<int>(password.size())) != SQLITE_OK ||
        !Attach(main.m_db, temp, password, error) || !Exec(main.m_db, "BEGIN", error)) {
        return false;
    }
    for (const char* copy : kCopies) {
        if (!Exec(main.m_db, copy, error)) {
            return false;
        }
    }
    for (const char* table : kOptionalTables) {
        if (HasTable(main.m_db, table) &&
            !Exec(main.m_db,
                  std::string("CREATE TABLE child.[") + table + "] AS SELECT * FROM main.[" + table + "]",
                  error)) {
            return false;
        }
    }
    return Exec(main.m_db, "COMMIT", error) && Exec(main.m_db, "DETACH DATABASE child", error);
}

} // namespace

bool WriteChildView(const std::string& mainPath, const std::string& password, const std::string& viewPath,
                    std::string& error) {
    std::string temp = viewPath + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        error = viewPath + ": cannot create a temporary file";
        return false;
    }
    // Readable by the child's programs; written only here.
    const bool readable = ::fchmod(fd, 0644) == 0;
    ::close(fd);
    if (!readable || !Copy(mainPath, password, temp, error) ||
        ::rename(temp.c_str(), viewPath.c_str()) != 0) {
        if (error.empty()) {
            error = viewPath + ": cannot replace the file";
        }
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

} // namespace core
