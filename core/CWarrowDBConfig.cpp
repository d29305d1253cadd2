#include "core/CWarrowDBConfig.h"

#include "core/CDBManager.h"
#include "core/CDBRecordset.h"

bool CWarrowDBConfig::Init(const char* path, const char* password) {
    m_pDB = CDBManager::ConnectionFor(path, password);
    if (m_pDB == nullptr) {
        return false;
    }
    return Load();
}

bool CWarrowDBConfig::Load() {
    CDBRecordset rs;
    if (m_pDB == nullptr || !m_pDB->OpenRecordset("SELECT * FROM[System]", rs) || rs.Count() == 0) {
        return false;
    }
    rs.GetField("ID", m_info.ID);
    rs.GetField("Password", m_info.Password);
    rs.GetField("UserName", m_info.UserName);
    rs.GetField("UserPwd", m_info.UserPwd);
    rs.GetField("Style", m_info.Style);
    return true;
}

bool CWarrowDBConfig::Save() {
    CDBRecordset rs;
    if (m_pDB == nullptr || !m_pDB->OpenRecordset("SELECT * FROM[System]", rs)) {
        return false;
    }
    if (rs.Count() == 0) {
        rs.AddNew();
    }
    rs.PutField("ID", m_info.ID);
    rs.PutField("Password", m_info.Password);
    rs.PutField("UserName", m_info.UserName);
    rs.PutField("UserPwd", m_info.UserPwd);
    rs.PutField("Style", m_info.Style);
    return rs.Update();
}
