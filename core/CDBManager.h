#pragma once

#include "core/CDataBase.h"

#include <map>
#include <memory>
#include <string>

// The process-wide owner of database connections: one shared connection per
// path text (compared byte-wise, so two spellings of one file get two).
class CDBManager {
public:
    static CDBManager& Instance();
    // Closes every connection; the next Instance() starts afresh.
    static void Destroy();

    CDataBase* GetDataBase(const char* path, const char* password);

    // The error hook given to connections as they are opened, so that a failed
    // open can be reported too. Programs without one lose the messages.
    static void SetDefaultErrorHook(DBErrorHook hook);

    // GetDataBase for a table object: a failure is reported as "数据文件读取出错".
    static CDataBase* ConnectionFor(const char* path, const char* password);

    virtual ~CDBManager() = default;

private:
    CDBManager() = default;
    std::map<std::string, std::unique_ptr<CDataBase>> m_connections;
};
