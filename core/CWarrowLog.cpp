#include "core/CWarrowLog.h"

#include "core/CDBManager.h"
#include "core/CDBRecordset.h"

bool CWarrowLog::Init(const char* path, const char* password) {
    m_pDB = CDBManager::ConnectionFor(path, password);
    if (m_pDB == nullptr) {
        return false;
    }
    return Load();
}

bool CWarrowLog::Load() {
    CDBRecordset rs;
    if (m_pDB == nullptr || !m_pDB->OpenRecordset("SELECT * FROM[AppLog] ORDER BY[DateTime] ASC", rs)) {
        return false;
    }
    const int count = rs.Count();
    if (count == 0) {
        return false;
    }
    m_lines.clear();
    m_lines.reserve(static_cast<std::size_t>(count));
    for (int i = count; i > 0; --i, rs.MoveNext()) {
        tagLogInfo info;
        rs.GetField("ID", info.ID);
        rs.GetField("DateTime", info.DateTime);
        rs.GetField("Content", info.Content);
        rs.GetField("Type", info.Type);
        m_lines.push_back(std::move(info));
    }
    return true;
}

void CWarrowLog::Log(const char* text) {
    tagLogInfo info;
    info.DateTime = COleDateTime::GetCurrentTime();
    info.Content = text ? text : "";
    info.Type = 0;
    AddLog(info);
}

void CWarrowLog::AddLog(tagLogInfo& info) {
    CDBRecordset rs;
    // Only appends: the recordset never reads the table, so a line costs the
    // same however long the log has grown.
    if (m_pDB == nullptr || !m_pDB->OpenRecordset("SELECT * FROM[AppLog]", rs)) {
        return;
    }
    rs.AddNew();
    rs.PutField("DateTime", info.DateTime);
    rs.PutField("Content", info.Content);
    rs.PutField("Type", info.Type);
    rs.Update();
    m_lines.push_back(info);
}

void CWarrowLog::ForEach(const std::function<void(tagLogInfo&)>& fn) {
    if (!fn) {
        return;
    }
    for (auto& line : m_lines) {
        fn(line);
    }
}

void CWarrowLog::Clear() {
    if (m_pDB != nullptr && m_pDB->Execute("DELETE * FROM[AppLog]")) {
        m_lines.clear();
    }
}
