#pragma once

#include <cstdio>
#include <string>

struct sqlite3;
class CDBRecordset;

using DBErrorHook = void (*)(const char* message);

// One connection to a password-protected database file (SQLCipher: the
// password is the database key). Several programs use the same file at once:
// the journal is a write-ahead log and a busy statement waits for its turn
// instead of failing.
class CDataBase {
public:
    CDataBase();
    virtual ~CDataBase();
    CDataBase(const CDataBase&) = delete;
    CDataBase& operator=(const CDataBase&) = delete;

    // Opens an existing file; never creates one. A wrong password or a damaged
    // file fails here, with the reason passed to the error hook.
    bool Open(const char* path, const char* password);
    bool OpenRecordset(const char* sql, CDBRecordset& rs);
    bool Execute(const char* sql);

    void SetErrorHook(DBErrorHook hook) { m_hook = hook ? hook : &IgnoreError; }
    void ReportError(const std::string& message) const { m_hook(message.c_str()); }
    sqlite3* Handle() const { return m_db; }
    const std::string& ConnectionString() const { return m_connect; }

    // Statements are traced one line each when WARROW_SQL_TRACE=1 is set
    // (to standard output), or to the stream a program chooses (null
    // silences the trace). Off by default.
    static void SetTraceStream(FILE* stream);
    static FILE* TraceStream();
    static void Trace(const std::string& statement);

    // Builds and reads back the connection string of a database file.
    // Values holding ';', '=' or quotes are written in double quotes.
    static std::string BuildConnectionString(const std::string& path, const std::string& password);
    static bool ParseConnectionString(const std::string& text, std::string& path, std::string& password);

    // The text every failed connect or statement reports.
    static std::string ConnectError(const std::string& reason);

private:
    static void IgnoreError(const char*) {}

    sqlite3* m_db = nullptr;
    std::string m_connect;
    DBErrorHook m_hook = &IgnoreError;
};
