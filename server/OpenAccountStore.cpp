#include "server/CFileAccountStore.h"
#include "server/CPostgresAccountStore.h"

bool IsDatabaseUri(const std::string& db) {
    return db.rfind("postgresql://", 0) == 0 || db.rfind("postgres://", 0) == 0;
}

std::unique_ptr<IAccountStore> OpenAccountStore(const std::string& db, const tagStoreOptions& options,
                                                std::string& error) {
    if (IsDatabaseUri(db)) {
        auto store = std::make_unique<CPostgresAccountStore>();
        if (!store->Open(db, options.initDb, error))
            return nullptr;
        return store;
    }
    auto store = std::make_unique<CFileAccountStore>();
    if (!store->Open(db, options.key, error))
        return nullptr;
    return store;
}
