#pragma once
// Accounts and help requests in one SQLCipher (SQLite) file: the store for
// one machine, created when missing. Several connections, and several
// servers on one machine, may share the file.

#include "server/IAccountStore.h"

struct sqlite3;
struct sqlite3_stmt;

class CFileAccountStore : public IAccountStore {
public:
    CFileAccountStore() = default;
    CFileAccountStore(const CFileAccountStore&) = delete;
    CFileAccountStore& operator=(const CFileAccountStore&) = delete;
    ~CFileAccountStore() override;

    // Creates the file and its tables when missing. With a key the file is
    // encrypted with it. Plain passwords an older version kept are wiped.
    bool Open(const std::string& path, const std::string& key, std::string& error);

    bool Find(std::uint32_t account, std::optional<tagAccountRecord>& found) override;
    enAddResult Add(const tagAccountRecord& record) override;
    bool Count(std::uint64_t& count) override;
    bool AddHelp(const tagHelpRecord& help) override;
    std::string LastError() const override;

private:
    bool Exec(const char* sql, std::string& error);
    bool Prepare(const char* sql, sqlite3_stmt*& stmt, std::string& error);
    bool CheckSchema(std::string& error);

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_find = nullptr;
    sqlite3_stmt* m_insert = nullptr;
    sqlite3_stmt* m_count = nullptr;
    sqlite3_stmt* m_help = nullptr;
};
