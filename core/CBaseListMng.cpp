#include "core/CBaseListMng.h"

#include "core/CDBManager.h"

bool CBaseListMng::Init(const char* path, const char* password) {
    m_pDB = CDBManager::ConnectionFor(path, password);
    if (m_pDB == nullptr) {
        return false;
    }
    m_databases[path] = m_pDB;
    return Load();
}

void CBaseListMng::SetCurrentDB(const char* path) {
    if (path == nullptr) {
        return;
    }
    if (auto found = m_databases.find(path); found != m_databases.end()) {
        m_pDB = found->second;
    }
}
