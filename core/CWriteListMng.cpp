#include "core/CWriteListMng.h"

#include "core/CDBRecordset.h"
#include "core/CDataBase.h"
#include "core/JetSql.h"
#include "platform/Paths.h"

#include <array>
#include <cstdlib>
#include <sys/stat.h>

namespace {

// The path with symbolic links, "." and ".." resolved; for a path that does
// not exist, the same text without doubled or trailing separators.
std::string Canonical(const std::string& path) {
    if (char* real = ::realpath(path.c_str(), nullptr)) {
        std::string resolved(real);
        std::free(real);
        return resolved;
    }
    std::string clean;
    for (const char c : path) {
        if (c != '/' || clean.empty() || clean.back() != '/') {
            clean += c;
        }
    }
    while (clean.size() > 1 && clean.back() == '/') {
        clean.pop_back();
    }
    return clean;
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Below `folder` at a separator: "/opt/game/x" is below "/opt/game", "/opt/gamex" is not.
bool IsBelow(const std::string& path, const std::string& folder) {
    if (folder == "/") {
        return path.size() > 1 && path[0] == '/';
    }
    return path.size() > folder.size() + 1 && path.compare(0, folder.size(), folder) == 0 &&
           path[folder.size()] == '/';
}

// Only root can put a file anywhere from `folder` down to `file`: a folder
// the child could write to would admit whatever the child copies there.
bool KeptByRoot(const std::string& folder, const std::string& file) {
    std::string at = file.substr(0, file.rfind('/'));
    for (;;) {
        struct stat st {};
        if (::stat(at.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != 0 ||
            (st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
            return false;
        }
        if (at.size() <= folder.size()) {
            return true;
        }
        at.erase(at.rfind('/'));
    }
}

} // namespace

bool CWriteListMng::IsSharedSystemFolder(const std::string& folder) {
    static constexpr std::array<const char*, 20> kShared = {"/opt",
                                                            "/bin",
                                                            "/sbin",
                                                            "/usr/bin",
                                                            "/usr/sbin",
                                                            "/usr/local/bin",
                                                            "/usr/local/sbin",
                                                            "/usr/games",
                                                            "/usr/local/games",
                                                            "/usr/libexec",
                                                            "/usr/local/libexec",
                                                            "/usr/share",
                                                            "/snap/bin",
                                                            "/etc",
                                                            "/tmp",
                                                            "/var/tmp",
                                                            "/dev/shm",
                                                            "/home",
                                                            "/root",
                                                            "/run"};
    const std::string canonical = Canonical(folder);
    for (const char* shared : kShared) {
        // A folder above a shared one holds it.
        if (canonical == shared || IsBelow(shared, canonical)) {
            return true;
        }
    }
    // Library folders hold the helpers of every program: /lib, /lib64,
    // /usr/lib, /usr/lib32, /usr/local/lib and the multiarch folders in them.
    for (const std::string base : {"", "/usr", "/usr/local"}) {
        if (canonical.compare(0, base.size() + 4, base + "/lib") != 0) {
            continue;
        }
        const std::string rest = canonical.substr(base.size() + 4);
        const auto slash = rest.find('/');
        if (slash == std::string::npos || rest.find("-linux-", slash) != std::string::npos) {
            return true;
        }
    }
    return false;
}

const CWriteListMng::tagCanonicalEntry& CWriteListMng::CanonicalOf(const tagAppInfo& info) {
    auto found = m_canonical.find(&info);
    if (found != m_canonical.end() && found->second.appPath == info.AppPath &&
        found->second.appName == info.AppName) {
        return found->second;
    }
    tagCanonicalEntry entry;
    entry.appPath = info.AppPath;
    entry.appName = info.AppName;
    entry.path = Canonical(info.AppPath);
    if (!info.AppName.empty()) {
        entry.program = Canonical(platform::JoinPath(entry.path, info.AppName));
    }
    entry.folder = IsDirectory(entry.path) && !IsSharedSystemFolder(entry.path);
    return m_canonical.insert_or_assign(&info, std::move(entry)).first->second;
}

bool CWriteListMng::Admits(const tagAppInfo& info, const std::string& program) {
    if (info.AppPath.empty() || program.empty() || program[0] != '/') {
        return false;
    }
    const tagCanonicalEntry& entry = CanonicalOf(info);
    if (program == entry.path || (!entry.program.empty() && program == entry.program)) {
        return true; // the entry names the program itself, or it is AppName in AppPath
    }
    return entry.folder && IsBelow(program, entry.path) && KeptByRoot(entry.path, program);
}

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
    const std::string program = Canonical(path);
    for (auto& [name, info] : m_apps) {
        if (Admits(info, program)) {
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
    m_canonical.erase(&found->second);
    m_apps.erase(found);
}

void CWriteListMng::Clear(bool toDB) {
    m_canonical.clear();
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
