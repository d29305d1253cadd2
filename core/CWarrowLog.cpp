#define SQLITE_HAS_CODEC 1
#include "core/CWarrowLog.h"

#include "core/CDBManager.h"
#include "core/CDBRecordset.h"

#include <sqlite3.h>

bool CWarrowLog::Init(const char* path, const char* password) {
    m_pDB = CDBManager::ConnectionFor(path, password);
    if (m_pDB == nullptr) {
        return false;
    }
    return Load();
}

bool CWarrowLog::Load() {
    return Read() == enRead::Filled;
}

CWarrowLog::enRead CWarrowLog::Read() {
    CDBRecordset rs;
    // ID breaks ties between lines of the same second: the order they were written.
    if (m_pDB == nullptr ||
        !m_pDB->OpenRecordset("SELECT * FROM[AppLog] ORDER BY[DateTime] ASC,[ID] ASC", rs)) {
        return enRead::Failed;
    }
    // A read that failed half-way, and an empty table, load nothing and keep
    // the list as it is (lines this process appended included).
    const int count = rs.Count();
    if (rs.ReadFailed()) {
        return enRead::Failed;
    }
    if (count == 0) {
        return enRead::Empty;
    }
    m_bLoaded = true;
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
    return enRead::Filled;
}

// The first use of the list fills it; an empty table is a filled (empty)
// list, not read again at every call. Only a failed read is tried again.
void CWarrowLog::FillOnFirstUse() {
    if (!m_bLoaded && m_pDB != nullptr && Read() == enRead::Empty) {
        m_bLoaded = true;
    }
}

bool CWarrowLog::Log(const char* text) {
    tagLogInfo info;
    info.DateTime = COleDateTime::GetCurrentTime();
    info.Content = text ? text : "";
    info.Type = 0;
    return AddLog(info);
}

bool CWarrowLog::AddLog(tagLogInfo& info) {
    CDBRecordset rs;
    // Only appends: the recordset never reads the table, so a line costs the
    // same however long the log has grown.
    if (m_pDB == nullptr || !m_pDB->OpenRecordset("SELECT * FROM[AppLog]", rs)) {
        return false;
    }
    rs.AddNew();
    rs.PutField("DateTime", info.DateTime);
    rs.PutField("Content", info.Content);
    rs.PutField("Type", info.Type);
    const bool stored = rs.Update();
    // Before the list is filled the table is its only copy: the fill reads
    // this line back with the rest.
    if (m_bLoaded) {
        m_lines.push_back(info);
    }
    return stored;
}

void CWarrowLog::ForEach(const std::function<void(tagLogInfo&)>& fn) {
    if (!fn) {
        return;
    }
    FillOnFirstUse();
    for (auto& line : m_lines) {
        fn(line);
    }
}

std::size_t CWarrowLog::Size() {
    FillOnFirstUse();
    return m_lines.size();
}

bool CWarrowLog::Clear() {
    if (m_pDB == nullptr || !m_pDB->Execute("DELETE * FROM[AppLog]")) {
        return false;
    }
    m_lines.clear();
    m_bLoaded = true;
    return true;
}

int CWarrowLog::DeleteOlderThan(const COleDateTime& cutoff, int batch) {
    if (m_pDB == nullptr || m_pDB->Handle() == nullptr || batch <= 0) {
        return -1;
    }
    // The oldest first, through the DateTime index; rows without a date are
    // not old, just unknown, and stay.
    static const char* const kSql = "DELETE FROM [AppLog] WHERE [ID] IN (SELECT [ID] FROM [AppLog] WHERE "
                                    "[DateTime] < ? ORDER BY [DateTime] LIMIT ?)";
    CDataBase::Trace(kSql);
    sqlite3* db = m_pDB->Handle();
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db, kSql, -1, &stmt, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_bind_double(stmt, 1, cutoff.m_dt);
    }
    if (rc == SQLITE_OK) {
        rc = sqlite3_bind_int(stmt, 2, batch);
    }
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(stmt);
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) {
        m_pDB->ReportError(CDataBase::ConnectError(sqlite3_errmsg(db)));
        return -1;
    }
    return sqlite3_changes(db);
}
