#include "server/CPostgresAccountStore.h"

#include <libpq-fe.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

struct CResultFree {
    void operator()(PGresult* r) const { PQclear(r); }
};
using CResult = std::unique_ptr<PGresult, CResultFree>;

// Runs one statement with text parameters; null parameters are not needed here.
CResult Run(PGconn* conn, const char* sql, const std::vector<std::string>& params = {}) {
    std::vector<const char*> values;
    for (const auto& p : params)
        values.push_back(p.c_str());
    return CResult(PQexecParams(conn, sql, static_cast<int>(values.size()), nullptr, values.data(), nullptr,
                                nullptr, 0));
}

bool Ok(const CResult& result) {
    const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

std::string FirstLine(const char* message) {
    std::string text = message != nullptr ? message : "";
    const auto end = text.find('\n');
    return end == std::string::npos ? text : text.substr(0, end);
}

std::string Real(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

constexpr const char* kCreateSchema =
    "BEGIN;"
    // Servers started together with --init-db take turns.
    "SELECT pg_advisory_xact_lock(7201804);"
    "CREATE TABLE IF NOT EXISTS warrow_schema(version integer NOT NULL);"
    "INSERT INTO warrow_schema SELECT 1 WHERE NOT EXISTS (SELECT 1 FROM warrow_schema);"
    "CREATE TABLE IF NOT EXISTS accounts("
    "  number bigint PRIMARY KEY, user_name text NOT NULL, digest text NOT NULL,"
    "  created double precision NOT NULL);"
    "CREATE TABLE IF NOT EXISTS help_requests("
    "  id bigserial PRIMARY KEY, account bigint NOT NULL, mail text NOT NULL, text text NOT NULL,"
    "  system text NOT NULL, question text NOT NULL, peer text NOT NULL,"
    "  received timestamptz NOT NULL DEFAULT now());"
    "COMMIT;";

} // namespace

CPostgresAccountStore::~CPostgresAccountStore() {
    if (m_conn != nullptr)
        PQfinish(m_conn);
}

bool CPostgresAccountStore::Open(const std::string& uri, bool initDb, std::string& error) {
    char* parseError = nullptr;
    PQconninfoOption* parsed = PQconninfoParse(uri.c_str(), &parseError);
    if (parsed == nullptr) {
        // libpq quotes the URI, password and all: the quote is cut off.
        std::string why = FirstLine(parseError);
        why = why.substr(0, why.find(" in URI"));
        error = "not a valid connection URI: " + why;
        PQfreemem(parseError);
        return false;
    }
    PQconninfoFree(parsed);
    // A database that stops answering (a dropped link, not a clean stop)
    // must fail calls, not hold the workers for ever: time-outs for the
    // connect, dead peers and statements, placed before the URI so that a
    // value the URI sets wins.
    const char* const keywords[] = {"connect_timeout",
                                    "keepalives",
                                    "keepalives_idle",
                                    "keepalives_interval",
                                    "keepalives_count",
                                    "tcp_user_timeout",
                                    "options",
                                    "dbname",
                                    nullptr};
    const char* const values[] = {"5",         "1",    "10", "5", "3", "15000", "-c statement_timeout=10000",
                                  uri.c_str(), nullptr};
    m_conn = PQconnectdbParams(keywords, values, 1);
    if (m_conn == nullptr || PQstatus(m_conn) != CONNECTION_OK) {
        error = "cannot connect: " + FirstLine(m_conn != nullptr ? PQerrorMessage(m_conn) : "out of memory");
        return false;
    }
    return (!initDb || CreateSchema(error)) && CheckSchema(error);
}

bool CPostgresAccountStore::CreateSchema(std::string& error) {
    CResult result(PQexec(m_conn, kCreateSchema));
    if (Ok(result))
        return true;
    error = "cannot create the tables: " + FirstLine(PQerrorMessage(m_conn));
    CResult(PQexec(m_conn, "ROLLBACK;"));
    return false;
}

bool CPostgresAccountStore::CheckSchema(std::string& error) {
    CResult exists(Run(m_conn, "SELECT to_regclass('warrow_schema') IS NOT NULL;"));
    if (!Ok(exists)) {
        error = FirstLine(PQerrorMessage(m_conn));
        return false;
    }
    if (std::string(PQgetvalue(exists.get(), 0, 0)) != "t") {
        error = "the database has no Warrow tables yet: start one server once with --init-db";
        return false;
    }
    CResult version(Run(m_conn, "SELECT version FROM warrow_schema;"));
    const int found =
        Ok(version) && PQntuples(version.get()) == 1 ? std::atoi(PQgetvalue(version.get(), 0, 0)) : 0;
    if (found != kAccountSchemaVersion) {
        error = "the database holds schema version " + std::to_string(found) + ", this server uses " +
                std::to_string(kAccountSchemaVersion);
        return false;
    }
    return true;
}

// After the server restarted, the first call finds the connection broken:
// one reset, and the call after it goes through.
bool CPostgresAccountStore::Connected() {
    if (PQstatus(m_conn) == CONNECTION_OK)
        return true;
    PQreset(m_conn);
    if (PQstatus(m_conn) == CONNECTION_OK)
        return true;
    m_strError = FirstLine(PQerrorMessage(m_conn));
    return false;
}

bool CPostgresAccountStore::Find(std::uint32_t account, std::optional<tagAccountRecord>& found) {
    found.reset();
    if (!Connected())
        return false;
    CResult result(Run(m_conn, "SELECT user_name, digest, created FROM accounts WHERE number = $1;",
                       {std::to_string(account)}));
    if (!Ok(result)) {
        m_strError = FirstLine(PQerrorMessage(m_conn));
        return false;
    }
    if (PQntuples(result.get()) == 1) {
        tagAccountRecord record;
        record.nAccount = account;
        record.strUserName = PQgetvalue(result.get(), 0, 0);
        record.strDigest = PQgetvalue(result.get(), 0, 1);
        record.dtDate = std::atof(PQgetvalue(result.get(), 0, 2));
        found = std::move(record);
    }
    return true;
}

enAddResult CPostgresAccountStore::Add(const tagAccountRecord& record) {
    if (!Connected())
        return enAddResult::Failed;
    CResult result(
        Run(m_conn,
            "INSERT INTO accounts(number, user_name, digest, created) VALUES($1, $2, $3, $4)"
            " ON CONFLICT (number) DO NOTHING;",
            {std::to_string(record.nAccount), record.strUserName, record.strDigest, Real(record.dtDate)}));
    if (!Ok(result)) {
        m_strError = FirstLine(PQerrorMessage(m_conn));
        return enAddResult::Failed;
    }
    return std::string(PQcmdTuples(result.get())) == "1" ? enAddResult::Added : enAddResult::Taken;
}

bool CPostgresAccountStore::Count(std::uint64_t& count) {
    if (!Connected())
        return false;
    CResult result(Run(m_conn, "SELECT count(*) FROM accounts;"));
    if (!Ok(result)) {
        m_strError = FirstLine(PQerrorMessage(m_conn));
        return false;
    }
    count = std::strtoull(PQgetvalue(result.get(), 0, 0), nullptr, 10);
    return true;
}

bool CPostgresAccountStore::AddHelp(const tagHelpRecord& help) {
    if (!Connected())
        return false;
    CResult result(Run(m_conn,
                       "INSERT INTO help_requests(account, mail, text, system, question, peer)"
                       " VALUES($1, $2, $3, $4, $5, $6);",
                       {std::to_string(help.nAccount), help.strMail, help.strText, help.strSystem,
                        help.strQuestion, help.strPeer}));
    if (!Ok(result)) {
        m_strError = FirstLine(PQerrorMessage(m_conn));
        return false;
    }
    return true;
}
