#include "platform/Paths.h"

#include <cstdlib>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

std::string ProgramPath() {
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string();
}

std::string ProgramDirectory() {
    const std::string path = ProgramPath();
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return CurrentDirectory();
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string CurrentDirectory() {
    char path[PATH_MAX];
    return ::getcwd(path, sizeof path) ? std::string(path) : std::string();
}

bool ChangeDirectory(const std::string& folder) {
    return ::chdir(folder.c_str()) == 0;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) {
        return name;
    }
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string FindInPath(const std::string& name) {
    if (name.empty()) {
        return {};
    }
    auto isExecutableFile = [](const std::string& path) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
    };
    if (name.find('/') != std::string::npos) {
        return name;
    }
    const char* env = std::getenv("PATH");
    const std::string path = env ? env : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= path.size()) {
        auto end = path.find(':', start);
        if (end == std::string::npos) {
            end = path.size();
        }
        const std::string folder = end > start ? path.substr(start, end - start) : ".";
        const std::string candidate = JoinPath(folder, name);
        if (isExecutableFile(candidate)) {
            return candidate;
        }
        start = end + 1;
    }
    return {};
}

} // namespace platform
