#include "tools/warrowctl/ProtectInstallation.h"

#include "tools/warrowctl/ParentGroup.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace protect {
namespace {

// One file or folder of the layout, held open from the check to the change so
// that what is changed is what was checked: a name swapped for a link to
// /etc/shadow in between changes nothing but the installation's own file.
struct Target {
    std::string path;
    int parentFd = -1; // not owned; AT_FDCWD for the folder itself
    std::string name;
    int fd = -1;
    struct stat st {};
    uid_t uid = 0;
    gid_t gid = 0;
    mode_t mode = 0;
};

class Targets {
public:
    ~Targets() {
        for (const auto& t : m_list) {
            ::close(t.fd);
        }
    }
    std::vector<Target>& List() { return m_list; }
    // Optional files that were missing when the layout was checked.
    const std::vector<Target>& Absent() const { return m_absent; }

    // Opens `name` below `parentFd` without following a link; a missing
    // optional file is skipped.
    bool Add(int parentFd, const std::string& parentPath, const std::string& name, bool directory, gid_t gid,
             mode_t mode, bool optional, std::string& error) {
        Target t;
        t.path = parentPath.empty() ? name : parentPath + "/" + name;
        t.parentFd = parentFd;
        t.name = name;
        t.uid = 0;
        t.gid = gid;
        t.mode = mode;
        const int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (directory ? O_DIRECTORY : 0) |
                          (parentFd == AT_FDCWD ? 0 : O_NOFOLLOW);
        t.fd = ::openat(parentFd, name.c_str(), flags);
        if (t.fd < 0) {
            const int why = errno;
            if (optional && why == ENOENT) {
                m_absent.push_back(t);
                return true;
            }
            error = t.path + ": " + std::strerror(why) +
                    (why == ENOENT  ? " (run 'warrowctl init' first)"
                     : why == ELOOP ? " (a link)"
                                    : "");
            return false;
        }
        if (::fstat(t.fd, &t.st) != 0) {
            error = t.path + ": " + std::strerror(errno);
            ::close(t.fd);
            return false;
        }
        if (!directory && (!S_ISREG(t.st.st_mode) || t.st.st_nlink != 1)) {
            error = t.path + ": not a plain file with one name";
            ::close(t.fd);
            return false;
        }
        m_list.push_back(t);
        return true;
    }
    int LastFd() const { return m_list.back().fd; }

private:
    std::vector<Target> m_list;
    std::vector<Target> m_absent;
};

std::string UserName(uid_t uid) {
    const passwd* pw = ::getpwuid(uid);
    return pw != nullptr ? pw->pw_name : std::to_string(uid);
}

std::string GroupName(gid_t gid) {
    const group* gr = ::getgrgid(gid);
    return gr != nullptr ? gr->gr_name : std::to_string(gid);
}

std::string Describe(uid_t uid, gid_t gid, mode_t mode) {
    char octal[8];
    std::snprintf(octal, sizeof octal, "%04o", static_cast<unsigned>(mode & 07777));
    return UserName(uid) + ":" + GroupName(gid) + " " + octal;
}

// Whether `name` below `parentFd` is still the object `t` holds open.
bool StillThere(const Target& t) {
    struct stat now {};
    const int flags = t.parentFd == AT_FDCWD ? 0 : AT_SYMLINK_NOFOLLOW;
    return ::fstatat(t.parentFd, t.name.c_str(), &now, flags) == 0 && now.st_dev == t.st.st_dev &&
           now.st_ino == t.st.st_ino;
}

bool StillAbsent(const Target& t) {
    struct stat now {};
    return ::fstatat(t.parentFd, t.name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT;
}

} // namespace

Result Apply(const std::string& folder) {
    Result result;
    if (::geteuid() != 0) {
        result.error = "run as root (sudo warrowctl protect): only root can give the installation to root";
        return result;
    }
    gid_t parents = 0;
    bool created = false;
    if (!parent_group::Ensure(parents, created, result.error)) {
        return result;
    }
    if (created) {
        result.changes.push_back("created-group\t" + parent_group::Name());
    }

    Targets targets;
    std::string& error = result.error;
    if (!targets.Add(AT_FDCWD, "", folder, true, parents, 02775, false, error)) {
        return result;
    }
    const int top = targets.LastFd();
    if (!targets.Add(top, folder, "Config.ini", false, parents, 0664, false, error) ||
        !targets.Add(top, folder, "DataBase", true, parents, 02775, false, error)) {
        return result;
    }
    const int data = targets.LastFd();
    const std::string dataPath = folder + "/DataBase";
    for (const char* database : {"DataBase.db", "Cache.db"}) {
        if (!targets.Add(data, dataPath, database, false, parents, 0660, false, error)) {
            return result;
        }
        for (const char* companion : {"-wal", "-shm", "-journal"}) {
            if (!targets.Add(data, dataPath, std::string(database) + companion, false, parents, 0660, true,
                             error)) {
                return result;
            }
        }
    }
    if (!targets.Add(data, dataPath, "ChildView.db", false, 0, 0644, true, error)) {
        return result;
    }

    // The folders come first: once they are root's, nobody else can swap a
    // name inside them any more.
    for (const Target& t : targets.List()) {
        const bool owned = t.st.st_uid == t.uid && t.st.st_gid == t.gid;
        const bool moded = (t.st.st_mode & 07777) == t.mode;
        if (owned && moded) {
            continue;
        }
        if ((!owned && ::fchown(t.fd, t.uid, t.gid) != 0) || ::fchmod(t.fd, t.mode) != 0) {
            error = t.path + ": " + std::strerror(errno);
            return result;
        }
        result.changes.push_back("changed\t" + t.path + "\t" + Describe(t.uid, t.gid, t.mode) + "\twas " +
                                 Describe(t.st.st_uid, t.st.st_gid, t.st.st_mode));
    }
    // Someone who could still write a folder before it became root's may
    // have swapped or added a name since the check.
    for (const Target& t : targets.List()) {
        if (!StillThere(t)) {
            error = t.path + " was replaced while it was being protected; run 'warrowctl protect' again";
            return result;
        }
    }
    for (const Target& t : targets.Absent()) {
        if (!StillAbsent(t)) {
            error = t.path +
                    " appeared while the installation was being protected; run 'warrowctl protect' again";
            return result;
        }
    }
    return result;
}

int Report(const Result& result) {
    for (const auto& change : result.changes) {
        std::printf("%s\n", change.c_str());
    }
    if (result.error.empty()) {
        return 0;
    }
    std::fprintf(stderr, "warrowctl: protect: %s\n", result.error.c_str());
    return ::geteuid() != 0 ? 1 : 2;
}

} // namespace protect

int ProtectCommand(const std::vector<std::string>& arguments, const std::string& folder) {
    if (!arguments.empty()) {
        std::fprintf(stderr, "warrowctl: protect takes no arguments\n");
        return 2;
    }
    return protect::Report(protect::Apply(folder));
}
