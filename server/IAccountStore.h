#pragma once
// Where the account server keeps accounts and help requests. Each network
// worker holds its own store object (its own database connection); every
// call goes to the database, so servers sharing one database see each
// other's accounts at once.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

struct tagAccountRecord {
    std::uint32_t nAccount = 0;
    std::string strUserName;
    std::string strDigest; // MD5 of the password, lower-case hex; the plain password is never stored
    double dtDate = 0;     // registration time as an automation date
};

struct tagHelpRecord {
    std::uint32_t nAccount = 0; // 0 when the number sent names no account
    std::string strMail;
    std::string strText;
    std::string strSystem;
    std::string strQuestion;
    std::string strPeer;
};

enum class enAddResult { Added, Taken, Failed };

class IAccountStore {
public:
    virtual ~IAccountStore() = default;

    // False on a database fault (see LastError); `found` empty for an unknown number.
    virtual bool Find(std::uint32_t account, std::optional<tagAccountRecord>& found) = 0;
    // Taken when the number is in use, also by another server.
    virtual enAddResult Add(const tagAccountRecord& record) = 0;
    virtual bool Count(std::uint64_t& count) = 0;
    virtual bool AddHelp(const tagHelpRecord& help) = 0;
    virtual std::string LastError() const = 0;
};

struct tagStoreOptions {
    std::string key;     // file store: encrypt with this key when not empty
    bool initDb = false; // database server: create the tables when missing
};

// The schema this build reads and writes; a store of another version is refused.
constexpr int kAccountSchemaVersion = 1;

bool IsDatabaseUri(const std::string& db);

// A postgresql:// (or postgres://) URI opens the database server, anything
// else is a file path. Null, with `error` set, when the store cannot be used.
std::unique_ptr<IAccountStore> OpenAccountStore(const std::string& db, const tagStoreOptions& options,
                                                std::string& error);
