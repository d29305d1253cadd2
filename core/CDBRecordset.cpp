#define SQLITE_HAS_CODEC 1
#include "core/CDBRecordset.h"

#include "core/CDataBase.h"
#include "core/JetSql.h"
#include "ltl/IniDocument.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <regex>

namespace {

constexpr const char* kRowIdColumn = "__warrow_rowid";

CDBRecordset::Value ReadColumn(sqlite3_stmt* stmt, int i) {
    switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_INTEGER:
        return static_cast<std::int64_t>(sqlite3_column_int64(stmt, i));
    case SQLITE_FLOAT:
        return sqlite3_column_double(stmt, i);
    case SQLITE_NULL:
        return std::monostate{};
    default: {
        const auto* text = static_cast<const char*>(sqlite3_column_blob(stmt, i));
        return std::string(text ? text : "", static_cast<std::size_t>(sqlite3_column_bytes(stmt, i)));
    }
    }
}

int Bind(sqlite3_stmt* stmt, int index, const CDBRecordset::Value& value) {
    if (const auto* i = std::get_if<std::int64_t>(&value)) {
        return sqlite3_bind_int64(stmt, index, *i);
    }
    if (const auto* d = std::get_if<double>(&value)) {
        return sqlite3_bind_double(stmt, index, *d);
    }
    if (const auto* s = std::get_if<std::string>(&value)) {
        return sqlite3_bind_text(stmt, index, s->data(), static_cast<int>(s->size()), SQLITE_TRANSIENT);
    }
    return sqlite3_bind_null(stmt, index);
}

} // namespace

CDBRecordset::~CDBRecordset() {
    Close();
}

bool CDBRecordset::Prepare(CDataBase& owner, const std::string& statement) {
    Close();
    std::string query = statement;
    if (auto table = jetsql::EditableTable(statement)) {
        // The row id comes along so that an edited record can be written back.
        static const std::regex selectStar(R"(^\s*SELECT\s+\*)", std::regex::icase);
        query =
            std::regex_replace(statement, selectStar, std::string("SELECT rowid AS ") + kRowIdColumn + ", *",
                               std::regex_constants::format_first_only);
        m_table = *table;
    }
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(owner.Handle(), query.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        m_table.clear();
        return false;
    }
    const int first = m_table.empty() ? 0 : 1;
    for (int i = first; i < sqlite3_column_count(stmt); ++i) {
        m_columns.emplace_back(sqlite3_column_name(stmt, i));
    }
    m_pending = stmt;
    m_pOwner = &owner;
    return true;
}

bool CDBRecordset::Load() {
    if (m_pending == nullptr) {
        return m_pOwner != nullptr && !m_bReadFailed;
    }
    const bool editable = !m_table.empty();
    const int count = sqlite3_column_count(m_pending);
    int rc;
    while ((rc = sqlite3_step(m_pending)) == SQLITE_ROW) {
        Row row;
        row.rowid = editable ? sqlite3_column_int64(m_pending, 0) : 0;
        for (int i = editable ? 1 : 0; i < count; ++i) {
            row.values.push_back(ReadColumn(m_pending, i));
        }
        m_rows.push_back(std::move(row));
    }
    const bool ok = rc == SQLITE_DONE;
    if (!ok) {
        Fail(sqlite3_errmsg(m_pOwner->Handle()), rc);
        m_rows.clear();
        m_bReadFailed = true;
    }
    sqlite3_finalize(m_pending);
    m_pending = nullptr;
    m_pos = 0;
    return ok;
}

void CDBRecordset::Fail(const std::string& message, int code) const {
    if (m_pOwner == nullptr) {
        return;
    }
    char text[64];
    std::snprintf(text, sizeof text, "错误代码:%X\n", static_cast<unsigned>(code));
    m_pOwner->ReportError("数据库错误:错误信息:" + message + text);
}

int CDBRecordset::Count() {
    if (!Load()) {
        return 0;
    }
    m_pos = 0;
    return static_cast<int>(m_rows.size());
}

bool CDBRecordset::IsEOF() {
    return !Load() || m_pos >= m_rows.size();
}

bool CDBRecordset::MoveFirst() {
    if (!Load()) {
        return false;
    }
    m_pos = 0;
    return !m_rows.empty();
}

bool CDBRecordset::MoveNext() {
    if (!Load() || m_pos >= m_rows.size()) {
        return false;
    }
    ++m_pos;
    return true;
}

bool CDBRecordset::AddNew() {
    if (m_pOwner == nullptr || m_table.empty()) {
        Fail("the records of this query cannot be edited", SQLITE_MISUSE);
        return false;
    }
    if (m_pending != nullptr) {
        // Appending needs none of the existing records: they are not read.
        sqlite3_finalize(m_pending);
        m_pending = nullptr;
    }
    m_rows.push_back(Row{0, std::vector<Value>(m_columns.size())});
    m_pos = m_rows.size() - 1;
    m_edit = Edit::Adding;
    m_changes.clear();
    return true;
}

bool CDBRecordset::Put(const char* column, Value value) {
    if (m_pOwner == nullptr || m_table.empty() || column == nullptr) {
        return false;
    }
    if (m_edit == Edit::None) {
        if (IsEOF()) {
            Fail("no current record", SQLITE_MISUSE);
            return false;
        }
        m_edit = Edit::Changing;
        m_changes.clear();
    }
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        if (ltl::EqualsNoCase(m_columns[i], column)) {
            m_changes[m_columns[i]] = value;
            m_rows[m_pos].values[i] = std::move(value);
            return true;
        }
    }
    Fail(std::string("no column ") + column, SQLITE_ERROR);
    return false;
}

bool CDBRecordset::Update() {
    if (m_edit == Edit::None) {
        return m_pOwner != nullptr;
    }
    const bool adding = m_edit == Edit::Adding;
    m_edit = Edit::None;
    std::string sql;
    std::string names, marks, assignments;
    for (const auto& [column, value] : m_changes) {
        const std::string sep = names.empty() ? "" : ", ";
        names += sep + jetsql::Identifier(column);
        marks += sep + "?";
        assignments += sep + jetsql::Identifier(column) + "=?";
    }
    const std::string table = jetsql::Identifier(m_table);
    if (adding) {
        sql = m_changes.empty() ? "INSERT INTO " + table + " DEFAULT VALUES"
                                : "INSERT INTO " + table + " (" + names + ") VALUES (" + marks + ")";
    } else if (m_changes.empty()) {
        return true;
    } else {
        sql = "UPDATE " + table + " SET " + assignments + " WHERE rowid=?";
    }
    CDataBase::Trace(sql);
    sqlite3* db = m_pOwner->Handle();
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr);
    int index = 1;
    for (const auto& change : m_changes) {
        if (rc == SQLITE_OK) {
            rc = Bind(stmt, index++, change.second);
        }
    }
    if (rc == SQLITE_OK && !adding) {
        rc = sqlite3_bind_int64(stmt, index, m_rows[m_pos].rowid);
    }
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(stmt);
    }
    sqlite3_finalize(stmt);
    m_changes.clear();
    if (rc != SQLITE_DONE) {
        Fail(sqlite3_errmsg(db), rc);
        return false;
    }
    if (adding) {
        m_rows[m_pos].rowid = sqlite3_last_insert_rowid(db);
    }
    return true;
}

bool CDBRecordset::Close() {
    sqlite3_finalize(m_pending);
    m_pending = nullptr;
    m_pOwner = nullptr;
    m_table.clear();
    m_columns.clear();
    m_rows.clear();
    m_pos = 0;
    m_edit = Edit::None;
    m_changes.clear();
    return true;
}

const CDBRecordset::Value* CDBRecordset::Field(const char* column) {
    if (column == nullptr || IsEOF()) {
        return nullptr;
    }
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        if (ltl::EqualsNoCase(m_columns[i], column)) {
            const Value& value = m_rows[m_pos].values[i];
            return std::holds_alternative<std::monostate>(value) ? nullptr : &value;
        }
    }
    Fail(std::string("no column ") + column, SQLITE_ERROR);
    return nullptr;
}

bool CDBRecordset::GetField(const char* column, std::string& out) {
    const Value* value = Field(column);
    if (value == nullptr) {
        return false;
    }
    if (const auto* s = std::get_if<std::string>(value)) {
        out = *s;
    } else if (const auto* i = std::get_if<std::int64_t>(value)) {
        out = std::to_string(*i);
    } else {
        char text[64];
        std::snprintf(text, sizeof text, "%.17g", std::get<double>(*value));
        out = text;
    }
    return true;
}

bool CDBRecordset::GetField(const char* column, int& out) {
    const Value* value = Field(column);
    if (value == nullptr) {
        return false;
    }
    if (const auto* i = std::get_if<std::int64_t>(value)) {
        out = static_cast<int>(*i);
    } else if (const auto* d = std::get_if<double>(value)) {
        out = static_cast<int>(std::lround(*d));
    } else {
        out = std::atoi(std::get<std::string>(*value).c_str());
    }
    return true;
}

bool CDBRecordset::GetField(const char* column, bool& out) {
    int number = 0;
    if (!GetField(column, number)) {
        return false;
    }
    out = number != 0;
    return true;
}

bool CDBRecordset::GetField(const char* column, COleDateTime& out) {
    const Value* value = Field(column);
    if (value == nullptr || std::holds_alternative<std::string>(*value)) {
        return false;
    }
    out.m_dt = std::holds_alternative<double>(*value) ? std::get<double>(*value)
                                                      : static_cast<double>(std::get<std::int64_t>(*value));
    out.m_status = COleDateTime::valid;
    return true;
}

bool CDBRecordset::PutField(const char* column, const std::string& value) {
    return Put(column, value);
}
bool CDBRecordset::PutField(const char* column, int value) {
    return Put(column, std::int64_t{value});
}
bool CDBRecordset::PutField(const char* column, bool value) {
    return Put(column, std::int64_t{value ? 1 : 0});
}
bool CDBRecordset::PutField(const char* column, const COleDateTime& value) {
    return Put(column, value.m_dt);
}
