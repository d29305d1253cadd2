#include "core/CWriteListMng.h"

#include "core/CDBRecordset.h"
#include "core/CDataBase.h"
#include "core/JetSql.h"
#include "platform/Paths.h"

bool CWriteListMng::Load() {
    CDBRecordset rs;
    if (m_pDB == nullptr || !m_pDB->OpenRecordset("SELECT * FROM[AppInfo]", rs)) {
        return false;
    }
    const std::string currentDirectory = platform::CurrentDirectory();
    for (int i = rs.Count(); i > 0; --i, rs.MoveNext()) {
        tagAppInfo info;
        std::string name;
        rs.GetField("AppName", name);
        rs.GetField("AppPath", info.AppPath);
        rs.GetField("Name", info.Name);
        rs.GetField("Icon", info.Icon);
        rs.GetField("AppParam", info.AppParam);
        // An entry stored without a path belongs to the installation folder.
        if (info.AppPath.empty()) {
            info.AppPath = currentDirectory;
        }
        info.AppName = name;
        Add(name.c_str(), info, false);
    }
    return true;
}

bool CWriteListMng::Add(const char* name, const tagAppInfo& info, bool toDB) {
    if (name == nullptr) {
        return false;
    }
    const auto [entry, inserted] = m_apps.insert_or_assign(name, info);
    (void)entry;
    if (toDB) {
        AddByDB(name, info);
    }
    return inserted;
}

tagAppInfo* CWriteListMng::Find(const char* name) {
    if (name == nullptr) {
        return nullptr;
    }
    auto found = m_apps.find(name);
    return found == m_apps.end() ? nullptr : &found->second;
}

tagAppInfo* CWriteListMng::FindPath(const char* path) {
    if (path == nullptr) {
        return nullptr;
    }
    const std::string_view haystack(path);
    for (auto& [name, info] : m_apps) {
        if (haystack.find(info.AppPath) != std::string_view::npos) {
            return &info;
        }
    }
    return nullptr;
}

void CWriteListMng::Del(const char* name, bool toDB) {
    if (name == nullptr) {
        return;
    }
    auto found = m_apps.find(name);
    if (found == m_apps.end()) {
        return;
    }
    if (toDB) {
        DelByDB(name);
    }
    m_apps.erase(found);
}

void CWriteListMng::Clear(bool toDB) {
    m_apps.clear();
    if (toDB) {
        ClearByDB();
    }
}

void CWriteListMng::ForEach(const std::function<void(tagAppInfo&)>& fn) {
    if (!fn) {
        return;
    }
    for (auto& entry : m_apps) {
        fn(entry.second);
    }
}

bool CWriteListMng::AddByDB(const char* name, const tagAppInfo& info) {
    CDBRecordset rs;
    const std::string sql = "SELECT * FROM[AppInfo] WHERE [AppName]=" + jetsql::Quote(name);
    if (m_pDB == nullptr || !m_pDB->OpenRecordset(sql.c_str(), rs)) {
        return false;
    }
    if (rs.Count() == 0) {
        rs.AddNew();
    }
    rs.PutField("AppName", info.AppName);
    rs.PutField("AppPath", info.AppPath);
    rs.PutField("Name", info.Name);
    rs.PutField("Icon", info.Icon);
    rs.PutField("AppParam", info.AppParam);
    return rs.Update();
}

void CWriteListMng::DelByDB(const char* name) {
    if (m_pDB != nullptr) {
        m_pDB->Execute(("DELETE * FROM[AppInfo] WHERE [AppName]=" + jetsql::Quote(name)).c_str());
    }
}

void CWriteListMng::ClearByDB() {
    if (m_pDB != nullptr) {
        m_pDB->Execute("DELETE * FROM[AppInfo]");
    }
}
