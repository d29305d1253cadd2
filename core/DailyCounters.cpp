#include "core/DailyCounters.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace core {
namespace {

constexpr const char* kSection = "Usage";

// Program names may hold any character: the separators, '%', control
// characters, and the spaces and quotes that profile reads trim from a
// value's ends are written as %XX.
std::string Encode(const std::string& name) {
    std::string out;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '%' || c == ';' || c == ':' || c == '=' || c == ' ' || c == '"' || c == '\'' || u < 0x20 ||
            u == 0x7F) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", u);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

std::string Decode(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out += static_cast<char>(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// No count of one day can be longer than two days; a larger one is damage.
constexpr std::int64_t kLongestCountMs = 2LL * 24 * 60 * 60 * 1000;

std::int64_t ParseCount(const std::string& text) {
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    return text.empty() || *end != '\0' || value < 0 || value > kLongestCountMs ? 0 : value;
}

// yyyymmdd of a real calendar day, or 0.
int ParseDay(int day) {
    const int month = day / 100 % 100;
    const int date = day % 100;
    return day >= 19700101 && day <= 99991231 && month >= 1 && month <= 12 && date >= 1 && date <= 31 ? day
                                                                                                      : 0;
}

} // namespace

tagDailyCounters ParseDailyCounters(const std::function<std::string(const char* key)>& value) {
    tagDailyCounters counters;
    counters.Day = ParseDay(ltl::CIni::ParseProfileInt(value("Day")));
    counters.Minute = std::clamp(ltl::CIni::ParseProfileInt(value("Minute")), 0, 1439);
    counters.ExtraMs = ParseCount(value("Extra"));
    const std::string apps = value("Apps");
    std::size_t at = 0;
    while (at < apps.size()) {
        std::size_t end = apps.find(';', at);
        if (end == std::string::npos) {
            end = apps.size();
        }
        const std::string item = apps.substr(at, end - at);
        const std::size_t colon = item.rfind(':');
        if (colon != std::string::npos && colon > 0) {
            counters.AppMs[Decode(item.substr(0, colon))] = ParseCount(item.substr(colon + 1));
        }
        at = end + 1;
    }
    return counters;
}

tagDailyCounters ReadDailyCounters(const ltl::CIni& ini) {
    return ParseDailyCounters([&ini](const char* key) { return ini.GetString(kSection, key); });
}

std::vector<ltl::CIni::Entry> DailyCounterEntries(const tagDailyCounters& counters) {
    std::string apps;
    for (const auto& [name, ms] : counters.AppMs) {
        apps += (apps.empty() ? "" : ";") + Encode(name) + ":" + std::to_string(ms);
    }
    return {{kSection, "Day", std::to_string(counters.Day)},
            {kSection, "Minute", std::to_string(counters.Minute)},
            {kSection, "Extra", std::to_string(counters.ExtraMs)},
            {kSection, "Apps", apps}};
}

std::vector<int> ReadWarningMinutes(const ltl::CIni& ini) {
    // A missing key and an empty one read alike through GetString: ask for
    // the key with a default that no file can hold.
    ltl::CIni probe(false, -1, "\x01", ini.GetPath().c_str());
    const std::string text = probe.GetString("Time", "Warnings");
    std::vector<int> minutes;
    if (text == "\x01") {
        return {15, 5, 1};
    }
    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t end = text.find(',', at);
        if (end == std::string::npos) {
            end = text.size();
        }
        const int value = std::atoi(text.substr(at, end - at).c_str());
        if (value >= 1 && value <= 1440 &&
            std::find(minutes.begin(), minutes.end(), value) == minutes.end()) {
            minutes.push_back(value);
        }
        at = end + 1;
    }
    std::sort(minutes.rbegin(), minutes.rend());
    return minutes;
}

} // namespace core
