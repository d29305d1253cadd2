#include "browser/NavigationPolicy.h"

#include "core/CIEListMng.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return lower;
}

// The scheme with its colon ("file:"), lower case; empty without one.
std::string SchemeOf(std::string_view address) {
    const auto colon = address.find(':');
    if (colon == std::string_view::npos || colon == 0) {
        return {};
    }
    return LowerAscii(address.substr(0, colon + 1));
}

// Whether an entry whose key begins with `scheme` admits the address.
bool AdmittedByEntryOfScheme(const CIEListMng& web, const std::string& scheme, const std::string& address) {
    for (const auto& node : web.GetTree()) {
        if (LowerAscii(node.Data.Key).rfind(scheme, 0) == 0 && CIEListMng::EntryAdmits(node.Data, address)) {
            return true;
        }
    }
    return false;
}

} // namespace

bool AdmitsAddress(const CIEListMng& web, const std::string& address) {
    static constexpr std::array<std::string_view, 7> kNever = {
        "view-source:", "chrome:",       "devtools:",        "chrome-devtools:",
        "qrc:",         "chrome-error:", "chrome-extension:"};
    const std::string scheme = SchemeOf(address);
    if (scheme.empty() || std::find(kNever.begin(), kNever.end(), scheme) != kNever.end()) {
        return false;
    }
    if (scheme == "http:" || scheme == "https:") {
        return web.IsValid(address.c_str());
    }
    return AdmittedByEntryOfScheme(web, scheme, address);
}
