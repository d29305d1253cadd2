#include "platform/OsInfo.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/utsname.h>

namespace platform {
namespace {

std::string DistributionName() {
    for (const char* file : {"/etc/os-release", "/usr/lib/os-release"}) {
        std::ifstream in(file);
        std::string line;
        while (std::getline(in, line)) {
            if (line.rfind("PRETTY_NAME=", 0) == 0) {
                std::string value = line.substr(12);
                if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'')) {
                    value = value.substr(1, value.size() - 2);
                }
                return value;
            }
        }
    }
    return "Linux";
}

} // namespace

bool GetVersionEx(OSVERSIONINFOA& info) {
    utsname uts{};
    if (::uname(&uts) != 0) {
        return false;
    }
    unsigned long major = 0, minor = 0, build = 0;
    std::sscanf(uts.release, "%lu.%lu.%lu", &major, &minor, &build);
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    info.dwMajorVersion = major;
    info.dwMinorVersion = minor;
    info.dwBuildNumber = build;
    info.dwPlatformId = kPlatformLinux;
    std::snprintf(info.szCSDVersion, sizeof info.szCSDVersion, "%s %s", DistributionName().c_str(),
                  uts.release);
    return true;
}

} // namespace platform
