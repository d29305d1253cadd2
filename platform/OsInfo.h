#pragma once

namespace platform {

// The operating-system record the suite's code reads, with the fields of the
// Windows version record it was designed around. On Linux the major and
// minor numbers are the kernel's, the platform id is kPlatformLinux and the
// service-pack text holds the distribution and the kernel release.
struct OSVERSIONINFOA {
    unsigned long dwOSVersionInfoSize = 0;
    unsigned long dwMajorVersion = 0;
    unsigned long dwMinorVersion = 0;
    unsigned long dwBuildNumber = 0;
    unsigned long dwPlatformId = 0;
    char szCSDVersion[128] = {};
};

constexpr unsigned long kPlatformWindowsNT = 2;
constexpr unsigned long kPlatformLinux = 0x4C4E58; // "LNX"

bool GetVersionEx(OSVERSIONINFOA& info);

} // namespace platform
