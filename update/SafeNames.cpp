#include "update/SafeNames.h"

namespace update {

bool IsSafeRelativePath(std::string_view path) {
    if (path.empty() || path.front() == '/' || path.find("..") != std::string_view::npos) {
        return false;
    }
    for (const unsigned char c : path) {
        if (c == '\\' || c < 0x20 || c == 0x7F) {
            return false;
        }
    }
    return true;
}

bool IsPlainFileName(std::string_view name) {
    return IsSafeRelativePath(name) && name.find('/') == std::string_view::npos && name != ".";
}

std::string PackageFileName(std::string_view file) {
    if (!IsSafeRelativePath(file)) {
        return {};
    }
    std::string_view name = file.substr(0, file.find_first_of("?#"));
    const auto slash = name.rfind('/');
    if (slash != std::string_view::npos) {
        name.remove_prefix(slash + 1);
    }
    return IsPlainFileName(name) ? std::string(name) : std::string();
}

} // namespace update
