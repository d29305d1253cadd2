#include "update/ServerList.h"

#include "ltl/CIni.h"

#include <strings.h>

namespace update {
namespace {

bool IsWebAddress(const std::string& address) {
    return strncasecmp(address.c_str(), "http://", 7) == 0 ||
           strncasecmp(address.c_str(), "https://", 8) == 0;
}

} // namespace

bool LoadServerList(const char* fileName, std::vector<tagServer>& servers) {
    ltl::CIni ini;
    std::vector<std::string> sections;
    if (!ini.Open(fileName) || !ini.GetSectionNames(sections) || sections.empty()) {
        return false;
    }
    servers.clear();
    for (const std::string& section : sections) {
        std::string address = ini.GetString(section.c_str(), "Address");
        if (address.empty() || address.size() > kMaxAddressLength || !IsWebAddress(address)) {
            continue;
        }
        servers.push_back({section, std::move(address), kNoAnswer});
    }
    return true;
}

std::optional<std::size_t> PickFastestServer(const std::vector<tagServer>& servers) {
    std::optional<std::size_t> best;
    for (std::size_t i = 0; i < servers.size(); ++i) {
        if (servers[i].nTime != kNoAnswer && (!best || servers[i].nTime < servers[*best].nTime)) {
            best = i;
        }
    }
    return best;
}

} // namespace update
