#include "shell/TrustedPrograms.h"

#include <cstdlib>
#include <fstream>
#include <sys/stat.h>

namespace {

bool KeptByRoot(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && st.st_uid == 0 && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

} // namespace

std::set<std::string> ReadTrustedPrograms(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos || !KeptByRoot(path) || !KeptByRoot(path.substr(0, slash + 1))) {
        return {};
    }
    std::ifstream file(path);
    std::set<std::string> programs;
    std::string line;
    while (std::getline(file, line)) {
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) {
            line.pop_back();
        }
        if (line.empty() || line[0] != '/') {
            continue; // comments, blank lines and relative names
        }
        if (char* real = ::realpath(line.c_str(), nullptr)) {
            programs.insert(real);
            std::free(real);
        }
    }
    return programs;
}

bool InstalledByRoot(const std::string& path) {
    if (path.empty() || path[0] != '/') {
        return false;
    }
    for (std::string::size_type end = path.size(); end != std::string::npos;
         end = end == 0 ? std::string::npos : path.rfind('/', end - 1)) {
        if (!KeptByRoot(end == 0 ? std::string("/") : path.substr(0, end))) {
            return false;
        }
    }
    return true;
}
