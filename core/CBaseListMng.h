#pragma once

#include <map>
#include <string>

class CDataBase;

// Common base of the table managers: the connections they were initialised
// with, and the one their writes go to.
class CBaseListMng {
public:
    virtual bool Init(const char* path, const char* password);
    virtual bool Load() = 0;
    virtual ~CBaseListMng() = default;

    // Chooses which initialised file later writes go to; an unknown path keeps the current one.
    void SetCurrentDB(const char* path);
    void SetDataBase(CDataBase* db) { m_pDB = db; }

protected:
    CDataBase* m_pDB = nullptr;
    std::map<std::string, CDataBase*> m_databases;
};
