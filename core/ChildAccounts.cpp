#include "core/ChildAccounts.h"

#include "ltl/CIni.h"

#include <algorithm>
#include <mutex>
#include <pwd.h>
#include <unistd.h>

namespace child_accounts {
namespace {

constexpr const char* kSection = "ChildAccounts";
constexpr const char* kKey = "Users";

} // namespace

std::vector<std::string> List(const std::string& configPath) {
    ltl::CIni ini(false, -1, "");
    std::vector<std::string> users;
    if (!ini.Open(configPath.c_str())) {
        return users;
    }
    const std::string text = ini.GetString(kSection, kKey);
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        if (comma > start) {
            users.push_back(text.substr(start, comma - start));
        }
        start = comma + 1;
    }
    return users;
}

bool Contains(const std::string& configPath, const std::string& user) {
    const auto users = List(configPath);
    return std::find(users.begin(), users.end(), user) != users.end();
}

bool Mark(const std::string& configPath, const std::string& user, bool child) {
    if (user.empty() || user.find_first_of(",\n\r") != std::string::npos) {
        return false;
    }
    auto users = List(configPath);
    users.erase(std::remove(users.begin(), users.end(), user), users.end());
    if (child) {
        users.push_back(user);
    }
    std::string text;
    for (const auto& name : users) {
        text += (text.empty() ? "" : ",") + name;
    }
    ltl::CIni ini(false, -1, "");
    return ini.Open(configPath.c_str()) && ini.SetString(kSection, kKey, text.c_str());
}

bool RunsInChildAccount() {
    // Decided once per user: a process that switched users (a test's fork)
    // decides again.
    static std::mutex lock;
    static uid_t decidedFor = static_cast<uid_t>(-1);
    static bool child = false;
    const std::lock_guard<std::mutex> hold(lock);
    if (::getuid() != decidedFor) {
        decidedFor = ::getuid();
        const passwd* pw = decidedFor == 0 ? nullptr : ::getpwuid(decidedFor);
        child = pw != nullptr && Contains("Config.ini", pw->pw_name);
    }
    return child;
}

} // namespace child_accounts
