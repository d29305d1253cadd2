#include "ltl/CIni.h"

#include "ltl/IniDocument.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ltl {
namespace {

// Defaults are kept as the profile functions kept them: at most 99 characters.
constexpr std::size_t kDefaultTextLimit = 99;

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool WriteAll(int fd, const std::string& text) {
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

// Serialises read-modify-write cycles of all processes on one folder. The
// lock is on the folder itself because the file is replaced by rename.
class FolderLock {
public:
    explicit FolderLock(const std::string& folder)
        : m_fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (m_fd >= 0) {
            while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~FolderLock() {
        if (m_fd >= 0) {
            ::close(m_fd); // closing releases the lock
        }
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    bool Held() const { return m_fd >= 0; }

private:
    int m_fd;
};

// The temporary file takes the replaced file's owner and group. Only root can
// give a file away; anyone else keeps the group when a member of it (the
// parents' group of a child-account installation), else the file changes
// group and loses its group-write bit so no other group gains write access.
bool TakeOwnership(int fd, const struct stat& st, mode_t& mode) {
    if (st.st_uid == ::geteuid() && st.st_gid == ::getegid()) {
        return true;
    }
    if (::fchown(fd, st.st_uid, st.st_gid) == 0) {
        return true;
    }
    if (::geteuid() == 0) {
        return false;
    }
    if (::fchown(fd, static_cast<uid_t>(-1), st.st_gid) != 0) {
        struct stat now {};
        if (::fstat(fd, &now) != 0 || now.st_gid != st.st_gid) {
            mode &= ~static_cast<mode_t>(S_IWGRP);
        }
    }
    return true;
}

bool ReplaceFile(const std::string& path, const std::string& text) {
    struct stat st {};
    const bool existed = ::stat(path.c_str(), &st) == 0;
    mode_t mode = existed ? (st.st_mode & 07777) : 0644;
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        return false;
    }
    // A replaced file keeps its owner and group: root (the service) writing a
    // family user's settings must not leave them unwritable for that user.
    if (existed && !TakeOwnership(fd, st, mode)) {
        ::close(fd);
        ::unlink(temp.c_str());
        return false;
    }
    const bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, text) && ::fdatasync(fd) == 0;
    ::close(fd);
    if (!ok || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

} // namespace

CIni::CIni(bool defaultFlag, int defaultInt, const char* defaultText)
    : m_defaultText(defaultText ? defaultText : ""), m_defaultFlag(defaultFlag), m_defaultInt(defaultInt) {
    if (m_defaultText.size() > kDefaultTextLimit) {
        m_defaultText.resize(kDefaultTextLimit);
    }
}

CIni::CIni(bool defaultFlag, int defaultInt, const char* defaultText, const char* fileName)
    : CIni(defaultFlag, defaultInt, defaultText) {
    Open(fileName);
}

std::string CIni::ResolvePath(const char* fileName) const {
    const std::string name = fileName ? fileName : "";
    if (name.find('/') != std::string::npos) {
        return name;
    }
    char cwd[4096];
    if (::getcwd(cwd, sizeof cwd) == nullptr) {
        return name;
    }
    return std::string(cwd) + "/" + name;
}

bool CIni::Open(const char* fileName) {
    m_path = ResolvePath(fileName);
    return ::access(m_path.c_str(), R_OK) == 0;
}

bool CIni::OpenOrCreate(const char* fileName) {
    m_path = ResolvePath(fileName);
    const int fd = ::open(m_path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return true;
}

bool CIni::ReadText(std::string& text) const {
    text.clear();
    FILE* f = std::fopen(m_path.c_str(), "rb");
    if (f == nullptr) {
        return false;
    }
    char buffer[8192];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
        text.append(buffer, n);
    }
    const bool ok = std::ferror(f) == 0;
    std::fclose(f);
    return ok;
}

std::optional<std::string> CIni::ReadValue(const char* section, const char* key) const {
    std::string text;
    if (section == nullptr || key == nullptr || !ReadText(text)) {
        return std::nullopt;
    }
    return IniDocument(text).Get(section, key);
}

std::string CIni::GetString(const char* section, const char* key) const {
    return ReadValue(section, key).value_or(m_defaultText);
}

bool CIni::GetString(const char* section, const char* key, char* out, int size) const {
    if (out == nullptr || size <= 0) {
        return false;
    }
    const std::string value = GetString(section, key);
    const std::size_t copied = std::min(value.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(out, value.data(), copied);
    out[copied] = '\0';
    return copied > 0;
}

int CIni::ParseProfileInt(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    unsigned base = 10;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    std::uint32_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        unsigned digit;
        if (c >= '0' && c <= '9') {
            digit = static_cast<unsigned>(c - '0');
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = static_cast<unsigned>(c - 'a' + 10);
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = static_cast<unsigned>(c - 'A' + 10);
        } else {
            break;
        }
        value = value * base + digit;
    }
    if (negative) {
        value = 0u - value;
    }
    return static_cast<int>(value);
}

int CIni::GetInt(const char* section, const char* key) const {
    const auto value = ReadValue(section, key);
    // An empty value reads like a missing one.
    return value && !value->empty() ? ParseProfileInt(*value) : m_defaultInt;
}

bool CIni::GetBool(const char* section, const char* key) const {
    const auto value = ReadValue(section, key);
    return value && !value->empty() ? ParseProfileInt(*value) != 0 : m_defaultFlag;
}

bool CIni::GetSectionNames(std::vector<std::string>& names) const {
    std::string text;
    if (!ReadText(text)) {
        return false;
    }
    for (auto& name : IniDocument(text).SectionNames()) {
        names.push_back(std::move(name));
    }
    return true;
}

bool CIni::SetStrings(const std::vector<Entry>& entries) {
    for (const Entry& e : entries) {
        if (!IniDocument::IsWritable(e.section, e.key, e.value)) {
            return false;
        }
    }
    if (m_path.empty()) {
        return false;
    }
    FolderLock lock(DirectoryOf(m_path));
    if (!lock.Held()) {
        return false;
    }
    std::string text;
    if (!ReadText(text) && errno != ENOENT) {
        return false;
    }
    IniDocument document(text);
    for (const Entry& e : entries) {
        document.Set(e.section, e.key, e.value);
    }
    return ReplaceFile(m_path, document.Text());
}

bool CIni::SetString(const char* section, const char* key, const char* text) {
    if (section == nullptr || key == nullptr || text == nullptr) {
        return false;
    }
    return SetStrings({{section, key, text}});
}

bool CIni::SetInt(const char* section, const char* key, int value) {
    return SetString(section, key, std::to_string(value).c_str());
}

bool CIni::SetBool(const char* section, const char* key, bool value) {
    return SetString(section, key, value ? "1" : "0");
}

bool CIni::SetIntList(const char* section, const char* key, const std::vector<int>& values) {
    std::string text;
    for (int v : values) {
        text += std::to_string(v) + ",";
    }
    if (!text.empty()) {
        text.pop_back();
    }
    return SetString(section, key, text.c_str());
}

} // namespace ltl
