#pragma once
// The account server's accounts and help requests in an SQLCipher (SQLite)
// file. Accounts are also held in memory, so a login costs no query.

#include <cstdint>
#include <string>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

struct tagAccountRecord {
    std::uint32_t nAccount = 0;
    std::string strUserName;
    std::string strDigest; // MD5 of the password, lower-case hex
    double dtDate = 0;     // registration time as an automation date
};

struct tagHelpRecord {
    std::uint32_t nAccount = 0;
    std::string strMail;
    std::string strText;
    std::string strSystem;
    std::string strQuestion;
    std::string strPeer;
};

class CAccountStore {
public:
    CAccountStore() = default;
    CAccountStore(const CAccountStore&) = delete;
    CAccountStore& operator=(const CAccountStore&) = delete;
    ~CAccountStore();

    // Creates the file and its tables when missing. With a key the file is
    // encrypted with it. A plain password left behind by an interrupted run
    // is forgotten here.
    bool Open(const std::string& path, const std::string& key, std::string& error);

    const tagAccountRecord* Find(std::uint32_t account) const;
    std::size_t Count() const { return m_accounts.size(); }
    // The plain password is kept only until ForgetPassword.
    bool Add(const tagAccountRecord& record, const std::string& plainPassword);
    bool ForgetPassword(std::uint32_t account);
    bool AddHelp(const tagHelpRecord& help);

private:
    bool Exec(const char* sql, std::string& error);
    bool Prepare(const char* sql, sqlite3_stmt*& stmt, std::string& error);
    bool Load(std::string& error);

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_insert = nullptr;
    sqlite3_stmt* m_forget = nullptr;
    sqlite3_stmt* m_help = nullptr;
    std::unordered_map<std::uint32_t, tagAccountRecord> m_accounts;
};
