#include "core/CDBManager.h"

#include "core/ErrorReporter.h"

namespace {
std::unique_ptr<CDBManager> g_manager;
DBErrorHook g_defaultHook = nullptr;
} // namespace

CDBManager& CDBManager::Instance() {
    if (!g_manager) {
        g_manager.reset(new CDBManager());
    }
    return *g_manager;
}

void CDBManager::Destroy() {
    g_manager.reset();
}

void CDBManager::SetDefaultErrorHook(DBErrorHook hook) {
    g_defaultHook = hook;
}

CDataBase* CDBManager::GetDataBase(const char* path, const char* password) {
    if (path == nullptr) {
        return nullptr;
    }
    if (auto found = m_connections.find(path); found != m_connections.end()) {
        return found->second.get();
    }
    auto connection = std::make_unique<CDataBase>();
    connection->SetErrorHook(g_defaultHook);
    if (!connection->Open(path, password)) {
        return nullptr;
    }
    return m_connections.emplace(path, std::move(connection)).first->second.get();
}

CDataBase* CDBManager::ConnectionFor(const char* path, const char* password) {
    CDataBase* db = Instance().GetDataBase(path, password);
    if (db == nullptr) {
        core::ReportError("数据文件读取出错");
    }
    return db;
}
