#pragma once
// Accounts and help requests on a PostgreSQL server, shared by any number
// of account servers. Account numbers are claimed by the table's primary
// key, so two servers never hand out one number. A lost connection is
// re-established on the next call.

#include "server/IAccountStore.h"

struct pg_conn;

class CPostgresAccountStore : public IAccountStore {
public:
    CPostgresAccountStore() = default;
    CPostgresAccountStore(const CPostgresAccountStore&) = delete;
    CPostgresAccountStore& operator=(const CPostgresAccountStore&) = delete;
    ~CPostgresAccountStore() override;

    // Connects and checks the schema; with `initDb` creates it when missing.
    bool Open(const std::string& uri, bool initDb, std::string& error);

    bool Find(std::uint32_t account, std::optional<tagAccountRecord>& found) override;
    enAddResult Add(const tagAccountRecord& record) override;
    bool Count(std::uint64_t& count) override;
    bool AddHelp(const tagHelpRecord& help) override;
    std::string LastError() const override { return m_strError; }

private:
    bool Connected();
    bool CreateSchema(std::string& error);
    bool CheckSchema(std::string& error);

    pg_conn* m_conn = nullptr;
    std::string m_strError;
};
