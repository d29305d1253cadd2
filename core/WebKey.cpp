#include "core/WebKey.h"

#include "core/CIEListMng.h"

#include <string>

namespace {

std::string LowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

// The domain of a host: its last two labels, or three when the last one is a
// country code of at most two letters.
std::string DomainOf(const std::string& host) {
    auto lastDot = host.rfind('.');
    if (lastDot == std::string::npos) {
        return host;
    }
    std::string rest = host.substr(0, lastDot);
    auto start = rest.rfind('.');
    if (host.size() - lastDot <= 3 && start != std::string::npos) {
        rest = rest.substr(0, start);
        start = rest.rfind('.');
    }
    return start == std::string::npos ? host : host.substr(start + 1);
}

} // namespace

bool DeriveKey(tagIEInfo& info) {
    static const std::string kScheme = "http://";
    std::string url = LowerAscii(info.Url);
    // Sites answer on https today: an https address gets the same key as its
    // http form, and the check admits both forms of such a key.
    if (url.compare(0, 8, "https://") == 0) {
        url.erase(4, 1);
    }
    if (url.size() <= kScheme.size() || url.compare(0, kScheme.size(), kScheme) != 0) {
        return false;
    }
    const auto slash = url.find('/', kScheme.size());
    if (slash != std::string::npos && slash < kScheme.size() + 3) {
        return false;
    }
    switch (info.Level) {
    case 0:
        info.Key = slash == std::string::npos ? url + "/" : url;
        break;
    case 1:
        info.Key = url.substr(0, slash);
        break;
    case 2:
        info.Key = DomainOf(url.substr(kScheme.size(), slash == std::string::npos ? std::string::npos
                                                                                  : slash - kScheme.size()));
        break;
    default:
        break;
    }
    return true;
}
