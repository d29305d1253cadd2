#pragma once

#include <string>

class CDataBase;

// The account record of table System.
struct tagSystemInfo {
    int ID = -1; // -1: no account has been set up
    std::string Password;
    std::string UserName;
    std::string UserPwd; // the local parent password that unlocks the child shell
    int Style = 0;
};

class CWarrowDBConfig {
public:
    virtual ~CWarrowDBConfig() = default;

    bool Init(const char* path, const char* password);
    void SetDataBase(CDataBase* db) { m_pDB = db; }
    bool Load();
    bool Save();
    tagSystemInfo& GetInfo() { return m_info; }

private:
    CDataBase* m_pDB = nullptr;
    tagSystemInfo m_info;
};
