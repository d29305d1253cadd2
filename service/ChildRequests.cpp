#include "service/ChildRequests.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <set>

namespace {

// A store arrives every second; a loaded machine may hold one back a while.
constexpr std::int64_t kSlackMs = 5000;
constexpr std::size_t kLongestLogLine = 512;

bool ParseNumber(const std::string& text, std::int64_t& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

} // namespace

bool MayAskForChild(uid_t sender, std::optional<uid_t> seatUser, bool seatUserIsChild) {
    return sender == 0 || (seatUser && *seatUser == sender && seatUserIsChild);
}

bool ParseTimeStore(const std::string& text, tagStoredTime& stored, std::vector<ltl::CIni::Entry>& entries) {
    static const std::set<std::string> kKeys = {"Time/TimeStyle", "Time/CountTime", "Usage/Day",
                                                "Usage/Minute",   "Usage/Extra",    "Usage/Apps"};
    std::map<std::string, std::string> values;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos || !kKeys.count(line.substr(0, equals)) ||
            !values.emplace(line.substr(0, equals), line.substr(equals + 1)).second) {
            return false;
        }
    }
    if (values.size() != kKeys.size()) {
        return false;
    }
    std::int64_t style = 0;
    if (!ParseNumber(values["Time/TimeStyle"], style) || (style != 0 && style != 1) ||
        !ParseNumber(values["Time/CountTime"], stored.CountTime) || stored.CountTime < 0 ||
        stored.CountTime > INT32_MAX) {
        return false;
    }
    stored.TimeStyle = static_cast<int>(style);
    stored.Daily =
        core::ParseDailyCounters([&values](const char* key) { return values[std::string("Usage/") + key]; });
    entries.clear();
    for (const auto& [key, value] : values) {
        const std::size_t slash = key.find('/');
        entries.push_back({key.substr(0, slash), key.substr(slash + 1), value});
    }
    // What is stored is what was judged: the counters written back as read.
    entries.erase(
        std::remove_if(entries.begin(), entries.end(), [](const auto& e) { return e.section == "Usage"; }),
        entries.end());
    const auto daily = core::DailyCounterEntries(stored.Daily);
    entries.insert(entries.end(), daily.begin(), daily.end());
    return true;
}

tagStoredTime ReadStoredTime(const ltl::CIni& ini) {
    tagStoredTime stored;
    stored.TimeStyle = ini.GetInt("Time", "TimeStyle") == 1 ? 1 : 0;
    stored.CountTime = static_cast<std::uint32_t>(ini.GetInt("Time", "CountTime"));
    stored.Daily = core::ReadDailyCounters(ini);
    return stored;
}

const char* DescribeStoreVerdict(StoreVerdict verdict) {
    switch (verdict) {
    case StoreVerdict::Accepted:
        return "accepted";
    case StoreVerdict::CountBackwards:
        return "the count went back";
    case StoreVerdict::CountTooFast:
        return "counted faster than the clock";
    case StoreVerdict::RestCutShort:
        return "play before the rest was over";
    case StoreVerdict::DayAhead:
        return "a day ahead of the computer's";
    case StoreVerdict::UsageLowered:
        return "the day's usage went down";
    case StoreVerdict::ExtraRaised:
        return "extra time nobody granted";
    }
    return "refused";
}

StoreVerdict JudgeTimeStore(const tagStoredTime& before, const tagStoredTime& after, std::int64_t restTimeMs,
                            std::int64_t elapsedMs, int today, std::int64_t extraAllowanceMs) {
    const std::int64_t reach = elapsedMs + kSlackMs;
    if (after.TimeStyle == before.TimeStyle) {
        if (after.CountTime < before.CountTime) {
            return StoreVerdict::CountBackwards;
        }
        if (after.CountTime - before.CountTime > reach) {
            return StoreVerdict::CountTooFast;
        }
    } else {
        if (after.CountTime > reach) {
            return StoreVerdict::CountTooFast;
        }
        if (before.TimeStyle == 1 && before.CountTime + reach < restTimeMs) {
            return StoreVerdict::RestCutShort;
        }
    }
    const core::tagDailyCounters& was = before.Daily;
    const core::tagDailyCounters& is = after.Daily;
    if (is.Day > today) {
        return StoreVerdict::DayAhead;
    }
    const bool sameDay = is.Day == was.Day;
    if (is.Day < was.Day) {
        return StoreVerdict::UsageLowered;
    }
    if (sameDay) {
        if (is.Minute < was.Minute) {
            return StoreVerdict::UsageLowered;
        }
        for (const auto& [name, ms] : was.AppMs) {
            const auto found = is.AppMs.find(name);
            if (found == is.AppMs.end() || found->second < ms) {
                return StoreVerdict::UsageLowered;
            }
        }
    }
    const std::int64_t extraBefore = sameDay ? was.ExtraMs : 0;
    if (is.ExtraMs > extraBefore + extraAllowanceMs) {
        return StoreVerdict::ExtraRaised;
    }
    return StoreVerdict::Accepted;
}

bool IsStorableLogLine(const std::string& text) {
    if (text.empty() || text.size() > kLongestLogLine) {
        return false;
    }
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F) {
            return false;
        }
    }
    return true;
}
