#include "server/CAccountStore.h"

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
    bool Done() { return sqlite3_step(m_stmt) == SQLITE_DONE; }

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

} // namespace

CAccountStore::~CAccountStore() {
    for (sqlite3_stmt* stmt : {m_insert, m_forget, m_help})
        sqlite3_finalize(stmt);
    if (m_db != nullptr)
        sqlite3_close(m_db);
}

bool CAccountStore::Exec(const char* sql, std::string& error) {
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    error = message != nullptr ? message : sqlite3_errmsg(m_db);
    sqlite3_free(message);
    return false;
}

bool CAccountStore::Prepare(const char* sql, sqlite3_stmt*& stmt, std::string& error) {
    if (sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr) == SQLITE_OK)
        return true;
    error = sqlite3_errmsg(m_db);
    return false;
}

bool CAccountStore::Open(const std::string& path, const std::string& key, std::string& error) {
    if (sqlite3_open_v2(path.c_str(), &m_db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK) {
        error = m_db != nullptr ? sqlite3_errmsg(m_db) : "out of memory";
        return false;
    }
    if (!key.empty() && sqlite3_key(m_db, key.data(), static_cast<int>(key.size())) != SQLITE_OK) {
        error = sqlite3_errmsg(m_db);
        return false;
    }
    sqlite3_busy_timeout(m_db, 5000);
    // The first read fails here, not later, for a wrong key or a file that is no database.
    if (!Exec("SELECT count(*) FROM sqlite_master;", error))
        return false;
    return Exec("PRAGMA journal_mode=WAL;"
                "PRAGMA synchronous=NORMAL;"
                "CREATE TABLE IF NOT EXISTS accounts("
                "  number INTEGER PRIMARY KEY, user_name TEXT NOT NULL, digest TEXT NOT NULL,"
                "  password TEXT, created REAL NOT NULL);"
                "CREATE TABLE IF NOT EXISTS help_requests("
                "  id INTEGER PRIMARY KEY AUTOINCREMENT, account INTEGER NOT NULL, mail TEXT NOT NULL,"
                "  text TEXT NOT NULL, system TEXT NOT NULL, question TEXT NOT NULL, peer TEXT NOT NULL,"
                "  received TEXT NOT NULL);"
                "UPDATE accounts SET password = NULL WHERE password IS NOT NULL;",
                error) &&
           Prepare("INSERT INTO accounts(number, user_name, digest, password, created) VALUES(?1, ?2, ?3, "
                   "?4, ?5);",
                   m_insert, error) &&
           Prepare("UPDATE accounts SET password = NULL WHERE number = ?1;", m_forget, error) &&
           Prepare("INSERT INTO help_requests(account, mail, text, system, question, peer, received)"
                   " VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7);",
                   m_help, error) &&
           Load(error);
}

bool CAccountStore::Load(std::string& error) {
    sqlite3_stmt* stmt = nullptr;
    if (!Prepare("SELECT number, user_name, digest, created FROM accounts;", stmt, error))
        return false;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        tagAccountRecord r;
        r.nAccount = static_cast<std::uint32_t>(sqlite3_column_int64(stmt, 0));
        r.strUserName = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
        r.strDigest = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2));
        r.dtDate = sqlite3_column_double(stmt, 3);
        m_accounts.emplace(r.nAccount, std::move(r));
    }
    if (rc != SQLITE_DONE)
        error = sqlite3_errmsg(m_db);
    sqlite3_finalize(stmt);
    return rc == SQLITE_DONE;
}

const tagAccountRecord* CAccountStore::Find(std::uint32_t account) const {
    const auto it = m_accounts.find(account);
    return it == m_accounts.end() ? nullptr : &it->second;
}

bool CAccountStore::Add(const tagAccountRecord& record, const std::string& plainPassword) {
    if (m_accounts.contains(record.nAccount))
        return false;
    if (!CStep(m_insert)
             .Int(1, record.nAccount)
             .Text(2, record.strUserName)
             .Text(3, record.strDigest)
             .Text(4, plainPassword)
             .Real(5, record.dtDate)
             .Done())
        return false;
    m_accounts.emplace(record.nAccount, record);
    return true;
}

bool CAccountStore::ForgetPassword(std::uint32_t account) {
    return CStep(m_forget).Int(1, account).Done();
}

bool CAccountStore::AddHelp(const tagHelpRecord& help) {
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
