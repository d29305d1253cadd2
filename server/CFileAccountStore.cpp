#include "server/CFileAccountStore.h"

#define SQLITE_HAS_CODEC 1
#include <sqlite3.h>

#include <ctime>

namespace {

// Binds and steps one statement, leaving it ready for the next use.
class CStep {
public:
    explicit CStep(sqlite3_stmt* stmt) : m_stmt(stmt) {}
    ~CStep() {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }
    CStep(const CStep&) = delete;
    CStep& operator=(const CStep&) = delete;

    CStep& Int(int index, std::int64_t v) {
        sqlite3_bind_int64(m_stmt, index, v);
        return *this;
    }
    CStep& Real(int index, double v) {
        sqlite3_bind_double(m_stmt, index, v);
        return *this;
    }
    CStep& Text(int index, const std::string& v) {
        sqlite3_bind_text(m_stmt, index, v.c_str(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    int Step() { return sqlite3_step(m_stmt); }
    bool Done() { return Step() == SQLITE_DONE; }

private:
    sqlite3_stmt* m_stmt;
};

std::string Now() {
    const std::time_t now = std::time(nullptr);
    tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

std::string ColumnText(sqlite3_stmt* stmt, int column) {
    const unsigned char* text = sqlite3_column_text(stmt, column);
    return text != nullptr ? reinterpret_cast<const char*>(text) : "";
}

} // namespace

CFileAccountStore::~CFileAccountStore() {
    for (sqlite3_stmt* stmt : {m_find, m_insert, m_count, m_help})
        sqlite3_finalize(stmt);
    if (m_db != nullptr)
        sqlite3_close(m_db);
}

std::string CFileAccountStore::LastError() const {
    return m_db != nullptr ? sqlite3_errmsg(m_db) : "no database";
}

bool CFileAccountStore::Exec(const char* sql, std::string& error) {
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    error = message != nullptr ? message : sqlite3_errmsg(m_db);
    sqlite3_free(message);
    return false;
}

bool CFileAccountStore::Prepare(const char* sql, sqlite3_stmt*& stmt, std::string& error) {
    if (sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr) == SQLITE_OK)
        return true;
    error = sqlite3_errmsg(m_db);
    return false;
}

bool CFileAccountStore::Open(const std::string& path, const std::string& key, std::string& error) {
    if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        error = m_db != nullptr ? sqlite3_errmsg(m_db) : "out of memory";
        return false;
    }
    if (!key.empty() && sqlite3_key(m_db, key.data(), static_cast<int>(key.size())) != SQLITE_OK) {
        error = sqlite3_errmsg(m_db);
        return false;
    }
    sqlite3_busy_timeout(m_db, 10000);
    // The first read fails here, not later, for a wrong key or a file that is no database.
    if (!Exec("SELECT count(*) FROM sqlite_master;", error))
        return false;
    return Exec("PRAGMA journal_mode=WAL;"
                "PRAGMA synchronous=NORMAL;"
                "PRAGMA secure_delete=ON;"
                "BEGIN IMMEDIATE;"
                "CREATE TABLE IF NOT EXISTS accounts("
                "  number INTEGER PRIMARY KEY, user_name TEXT NOT NULL, digest TEXT NOT NULL,"
                "  created REAL NOT NULL);"
                "CREATE TABLE IF NOT EXISTS help_requests("
                "  id INTEGER PRIMARY KEY AUTOINCREMENT, account INTEGER NOT NULL, mail TEXT NOT NULL,"
                "  text TEXT NOT NULL, system TEXT NOT NULL, question TEXT NOT NULL, peer TEXT NOT NULL,"
                "  received TEXT NOT NULL);"
                "CREATE TABLE IF NOT EXISTS schema_version(version INTEGER NOT NULL);"
                "INSERT INTO schema_version SELECT 1 WHERE NOT EXISTS (SELECT 1 FROM schema_version);"
                "COMMIT;",
                error) &&
           CheckSchema(error) &&
           Prepare("SELECT user_name, digest, created FROM accounts WHERE number = ?1;", m_find, error) &&
           Prepare(
               "INSERT OR IGNORE INTO accounts(number, user_name, digest, created) VALUES(?1, ?2, ?3, ?4);",
               m_insert, error) &&
           Prepare("SELECT count(*) FROM accounts;", m_count, error) &&
           Prepare("INSERT INTO help_requests(account, mail, text, system, question, peer, received)"
                   " VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7);",
                   m_help, error);
}

// Files of an older version kept each new account's plain password until its
// answer had left; those are wiped, and with secure_delete and a truncating
// checkpoint no copy stays in the file or its write-ahead log.
bool CFileAccountStore::CheckSchema(std::string& error) {
    sqlite3_stmt* stmt = nullptr;
    if (!Prepare("SELECT version FROM schema_version;", stmt, error))
        return false;
    const int version = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int(stmt, 0) : 0;
    sqlite3_finalize(stmt);
    if (version != kAccountSchemaVersion) {
        error = "the file holds accounts in schema version " + std::to_string(version) +
                ", this server uses " + std::to_string(kAccountSchemaVersion);
        return false;
    }
    bool oldPasswords = false;
    if (!Prepare("PRAGMA table_info(accounts);", stmt, error))
        return false;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        oldPasswords = oldPasswords || ColumnText(stmt, 1) == "password";
    sqlite3_finalize(stmt);
    if (!oldPasswords)
        return true;
    return Exec("UPDATE accounts SET password = NULL WHERE password IS NOT NULL;"
                "PRAGMA wal_checkpoint(TRUNCATE);",
                error);
}

bool CFileAccountStore::Find(std::uint32_t account, std::optional<tagAccountRecord>& found) {
    CStep step(m_find);
    const int rc = step.Int(1, account).Step();
    found.reset();
    if (rc == SQLITE_ROW) {
        tagAccountRecord record;
        record.nAccount = account;
        record.strUserName = ColumnText(m_find, 0);
        record.strDigest = ColumnText(m_find, 1);
        record.dtDate = sqlite3_column_double(m_find, 2);
        found = std::move(record);
        return true;
    }
    return rc == SQLITE_DONE;
}

enAddResult CFileAccountStore::Add(const tagAccountRecord& record) {
    if (!CStep(m_insert)
             .Int(1, record.nAccount)
             .Text(2, record.strUserName)
             .Text(3, record.strDigest)
             .Real(4, record.dtDate)
             .Done())
        return enAddResult::Failed;
    return sqlite3_changes(m_db) == 1 ? enAddResult::Added : enAddResult::Taken;
}

bool CFileAccountStore::Count(std::uint64_t& count) {
    CStep step(m_count);
    if (step.Step() != SQLITE_ROW)
        return false;
    count = static_cast<std::uint64_t>(sqlite3_column_int64(m_count, 0));
    return true;
}

bool CFileAccountStore::AddHelp(const tagHelpRecord& help) {
    return CStep(m_help)
        .Int(1, help.nAccount)
        .Text(2, help.strMail)
        .Text(3, help.strText)
        .Text(4, help.strSystem)
        .Text(5, help.strQuestion)
        .Text(6, help.strPeer)
        .Text(7, Now())
        .Done();
}
