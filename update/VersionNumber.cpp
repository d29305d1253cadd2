#include "update/VersionNumber.h"

#include <cstdio>

namespace update {

std::uint64_t PackVersion(unsigned a, unsigned b, unsigned c, unsigned d) {
    return (std::uint64_t{a & 0xFFFF} << 48) | (std::uint64_t{b & 0xFFFF} << 32) |
           (std::uint64_t{c & 0xFFFF} << 16) | std::uint64_t{d & 0xFFFF};
}

int ReadVersion(const std::string& text, std::uint64_t& version) {
    unsigned parts[4] = {0, 0, 0, 0};
    const int read = std::sscanf(text.c_str(), "%u_%u_%u_%u", &parts[0], &parts[1], &parts[2], &parts[3]);
    version = PackVersion(parts[0], parts[1], parts[2], parts[3]);
    return read < 0 ? 0 : read;
}

std::string FormatVersion(std::uint64_t version) {
    char text[32];
    std::snprintf(text, sizeof text, "%u_%u_%u_%u", static_cast<unsigned>(version >> 48 & 0xFFFF),
                  static_cast<unsigned>(version >> 32 & 0xFFFF),
                  static_cast<unsigned>(version >> 16 & 0xFFFF), static_cast<unsigned>(version & 0xFFFF));
    return text;
}

} // namespace update
