#pragma once

#include "core/COleDateTime.h"

#include <cstdint>
#include <map>
#include <string>
#include <variant>
#include <vector>

struct sqlite3_stmt;
class CDataBase;

// The records of one query, walked with a cursor and edited in place.
//
// Rows are read on first use and held in memory, so no statement stays open
// while the table is written: a recordset that only appends (AddNew, PutField,
// Update) never reads the table at all, which keeps appending to a large log
// as cheap as appending to an empty one.
class CDBRecordset {
public:
    using Value = std::variant<std::monostate, std::int64_t, double, std::string>;

    CDBRecordset() = default;
    ~CDBRecordset();
    CDBRecordset(const CDBRecordset&) = delete;
    CDBRecordset& operator=(const CDBRecordset&) = delete;

    int Count();
    bool IsEOF();
    bool MoveFirst();
    bool MoveNext();
    bool AddNew();
    bool Update();
    bool Close();

    bool GetField(const char* column, std::string& out);
    bool GetField(const char* column, int& out);
    bool GetField(const char* column, bool& out);
    bool GetField(const char* column, COleDateTime& out);

    bool PutField(const char* column, const std::string& value);
    bool PutField(const char* column, const char* value) {
        return PutField(column, std::string(value ? value : ""));
    }
    bool PutField(const char* column, int value);
    bool PutField(const char* column, bool value);
    bool PutField(const char* column, const COleDateTime& value);

    CDataBase* Owner() const { return m_pOwner; }
    // True when reading the rows failed part-way (the recordset then holds
    // none): an empty recordset is not always an empty table.
    bool ReadFailed() const { return m_bReadFailed; }

private:
    friend class CDataBase;
    bool Prepare(CDataBase& owner, const std::string& statement);
    bool Load();
    const Value* Field(const char* column);
    bool Put(const char* column, Value value);
    void Fail(const std::string& message, int code) const;

    struct Row {
        std::int64_t rowid = 0;
        std::vector<Value> values;
    };
    enum class Edit { None, Adding, Changing };

    CDataBase* m_pOwner = nullptr;
    sqlite3_stmt* m_pending = nullptr; // prepared, not yet read
    bool m_bReadFailed = false;
    std::string m_table; // empty: the records cannot be edited
    std::vector<std::string> m_columns;
    std::vector<Row> m_rows;
    std::size_t m_pos = 0;
    Edit m_edit = Edit::None;
    std::map<std::string, Value> m_changes;
};
