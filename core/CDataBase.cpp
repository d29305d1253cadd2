#define SQLITE_HAS_CODEC 1
#include "core/CDataBase.h"

#include "core/CDBRecordset.h"
#include "core/JetSql.h"

#include <sqlite3.h>

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string_view>

namespace {

constexpr const char* kConnectionFormat =
    "Provider=Microsoft.Jet.OLEDB.4.0; Data Source=%s; Jet oledb:Database password=%s";
constexpr int kBusyTimeoutMs = 15000;

// Statement traces are for whoever debugs the database layer; they are off
// unless WARROW_SQL_TRACE=1 asks for them, so a program's own output stays
// readable.
FILE* TraceStreamOfEnvironment() {
    const char* wanted = std::getenv("WARROW_SQL_TRACE");
    return wanted != nullptr && std::string_view(wanted) == "1" ? stdout : nullptr;
}

std::atomic<FILE*> g_traceStream{TraceStreamOfEnvironment()};

std::string ConnectionValue(const std::string& value) {
    if (value.find_first_of(";=\"'") == std::string::npos) {
        return value;
    }
    std::string quoted = "\"";
    for (char c : value) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

// Splits "key=value; key=value" with double-quoted values allowed.
std::map<std::string, std::string> SplitConnectionString(const std::string& text) {
    std::map<std::string, std::string> fields;
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
            ++i;
        }
    };
    while (i < text.size()) {
        skipBlanks();
        const auto eq = text.find('=', i);
        if (eq == std::string::npos) {
            break;
        }
        std::string key = text.substr(i, eq - i);
        while (!key.empty() && key.back() == ' ') {
            key.pop_back();
        }
        for (char& c : key) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        i = eq + 1;
        skipBlanks();
        std::string value;
        if (i < text.size() && text[i] == '"') {
            for (++i; i < text.size(); ++i) {
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        value += '"';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += text[i];
            }
            const auto semi = text.find(';', i);
            i = semi == std::string::npos ? text.size() : semi + 1;
        } else {
            const auto semi = text.find(';', i);
            value = text.substr(i, semi == std::string::npos ? std::string::npos : semi - i);
            while (!value.empty() && value.back() == ' ') {
                value.pop_back();
            }
            i = semi == std::string::npos ? text.size() : semi + 1;
        }
        fields[key] = value;
    }
    return fields;
}

} // namespace

CDataBase::CDataBase() = default;

CDataBase::~CDataBase() {
    if (m_db != nullptr) {
        sqlite3_close_v2(m_db);
    }
}

void CDataBase::SetTraceStream(FILE* stream) {
    g_traceStream = stream;
}

FILE* CDataBase::TraceStream() {
    return g_traceStream;
}

void CDataBase::Trace(const std::string& statement) {
    FILE* stream = g_traceStream;
    if (stream == nullptr) {
        return;
    }
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    std::fprintf(stream, "%d-%d-%d %d:%d:%d SQL:[%s]\n", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour,
                 t.tm_min, t.tm_sec, statement.c_str());
    std::fflush(stream);
}

std::string CDataBase::ConnectError(const std::string& reason) {
    return "连接数据库失败\n错误信息:" + reason;
}

std::string CDataBase::BuildConnectionString(const std::string& path, const std::string& password) {
    char buffer[4096];
    std::snprintf(buffer, sizeof buffer, kConnectionFormat, ConnectionValue(path).c_str(),
                  ConnectionValue(password).c_str());
    return buffer;
}

bool CDataBase::ParseConnectionString(const std::string& text, std::string& path, std::string& password) {
    auto fields = SplitConnectionString(text);
    const auto source = fields.find("data source");
    if (source == fields.end() || source->second.empty()) {
        return false;
    }
    path = source->second;
    password = fields["jet oledb:database password"];
    return true;
}

bool CDataBase::Open(const char* path, const char* password) {
    m_connect = BuildConnectionString(path ? path : "", password ? password : "");
    std::string file, key;
    if (!ParseConnectionString(m_connect, file, key)) {
        ReportError(ConnectError("no database file named"));
        return false;
    }
    if (m_db != nullptr) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
    if (sqlite3_open_v2(file.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) !=
        SQLITE_OK) {
        ReportError(ConnectError(m_db ? sqlite3_errmsg(m_db) : "out of memory"));
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        return false;
    }
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
    // The first read of the schema tells a wrong password or a damaged file.
    // A file this user may only read (a child account's copy of the settings)
    // is read as it is: it cannot be switched to write-ahead logging.
    const bool ok =
        sqlite3_key(m_db, key.data(), static_cast<int>(key.size())) == SQLITE_OK &&
        sqlite3_exec(m_db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) == SQLITE_OK &&
        (sqlite3_db_readonly(m_db, "main") == 1 ||
         sqlite3_exec(m_db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL", nullptr, nullptr,
                      nullptr) == SQLITE_OK);
    if (!ok) {
        const int code = sqlite3_errcode(m_db);
        ReportError(ConnectError(code == SQLITE_NOTADB ? "wrong database password or damaged file"
                                                       : sqlite3_errmsg(m_db)));
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        return false;
    }
    return true;
}

bool CDataBase::OpenRecordset(const char* sql, CDBRecordset& rs) {
    rs.Close();
    if (sql == nullptr || m_db == nullptr) {
        return false;
    }
    Trace(sql);
    const std::string statement = jetsql::ToSqlite(sql);
    if (!rs.Prepare(*this, statement)) {
        ReportError(ConnectError(sqlite3_errmsg(m_db)));
        return false;
    }
    return true;
}

bool CDataBase::Execute(const char* sql) {
    if (sql == nullptr || m_db == nullptr) {
        return false;
    }
    Trace(sql);
    const std::string statement = jetsql::ToSqlite(sql);
    if (sqlite3_exec(m_db, statement.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        ReportError(ConnectError(sqlite3_errmsg(m_db)));
        return false;
    }
    return true;
}
