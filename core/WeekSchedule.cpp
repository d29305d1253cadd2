#include "core/WeekSchedule.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace core {
namespace {

constexpr const char* kNames[] = {"mon", "tue", "wed", "thu", "fri", "sat", "sun"};

// "HH:MM" with two-digit hours and minutes; 24:00 only where `allowMidnight`.
std::optional<int> ParseClock(const std::string& text, bool allowMidnight) {
    if (text.size() != 5 || text[2] != ':') {
        return std::nullopt;
    }
    for (int i : {0, 1, 3, 4}) {
        if (!std::isdigit(static_cast<unsigned char>(text[static_cast<std::size_t>(i)]))) {
            return std::nullopt;
        }
    }
    const int hours = (text[0] - '0') * 10 + (text[1] - '0');
    const int minutes = (text[3] - '0') * 10 + (text[4] - '0');
    if (minutes > 59 || hours > 24 || (hours == 24 && (minutes != 0 || !allowMidnight))) {
        return std::nullopt;
    }
    return hours * 60 + minutes;
}

std::string FormatClock(int minute) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", minute / 60 % 100, minute % 60);
    return text;
}

} // namespace

void CWeekSchedule::Set(int weekday, std::vector<tagTimeSpan> spans) {
    std::sort(spans.begin(), spans.end(),
              [](const tagTimeSpan& a, const tagTimeSpan& b) { return a.Start < b.Start; });
    std::vector<tagTimeSpan> joined;
    for (const auto& span : spans) {
        if (span.Start >= span.End) {
            continue;
        }
        if (!joined.empty() && span.Start <= joined.back().End) {
            joined.back().End = std::max(joined.back().End, span.End);
        } else {
            joined.push_back(span);
        }
    }
    m_days.at(static_cast<std::size_t>(weekday)) = std::move(joined);
}

void CWeekSchedule::Clear(int weekday) {
    m_days.at(static_cast<std::size_t>(weekday)).reset();
}

bool CWeekSchedule::Empty() const {
    return std::none_of(m_days.begin(), m_days.end(), [](const Spans& day) { return day.has_value(); });
}

bool CWeekSchedule::Allows(int weekday, int minute) const {
    const Spans& day = Day(weekday);
    if (!day) {
        return true;
    }
    return std::any_of(day->begin(), day->end(), [minute](const tagTimeSpan& span) {
        return span.Start <= minute && minute < span.End;
    });
}

std::optional<int> CWeekSchedule::MinutesLeft(int weekday, int minute) const {
    if (!Allows(weekday, minute)) {
        return 0;
    }
    int left = 0;
    for (int day = 0; day <= kDays; ++day) {
        const int wd = (weekday + day) % kDays;
        const int from = day == 0 ? minute : 0;
        const Spans& spans = Day(wd);
        if (!spans) {
            left += kDayMinutes - from; // a day without limits runs to its midnight
            continue;
        }
        const auto span = std::find_if(spans->begin(), spans->end(), [from](const tagTimeSpan& s) {
            return s.Start <= from && from < s.End;
        });
        if (span == spans->end()) {
            return left;
        }
        left += span->End - from;
        if (span->End < kDayMinutes) {
            return left;
        }
    }
    return std::nullopt;
}

std::optional<int> ParseWeekday(const std::string& text) {
    std::string lower;
    for (char c : text) {
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    for (int i = 0; i < CWeekSchedule::kDays; ++i) {
        if (lower == kNames[i]) {
            return i;
        }
    }
    return std::nullopt;
}

const char* WeekdayName(int weekday) {
    return weekday >= 0 && weekday < CWeekSchedule::kDays ? kNames[weekday] : "?";
}

std::optional<std::vector<tagTimeSpan>> ParseSpans(const std::string& text) {
    std::vector<tagTimeSpan> spans;
    if (text == "none") {
        return spans;
    }
    std::size_t at = 0;
    while (true) {
        const std::size_t comma = text.find(',', at);
        const std::string item = text.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
        if (item.size() != 11 || item[5] != '-') {
            return std::nullopt;
        }
        const auto start = ParseClock(item.substr(0, 5), false);
        const auto end = ParseClock(item.substr(6), true);
        if (!start || !end || *start >= *end) {
            return std::nullopt;
        }
        spans.push_back({*start, *end});
        if (comma == std::string::npos) {
            return spans;
        }
        at = comma + 1;
    }
}

std::string FormatSpans(const std::vector<tagTimeSpan>& spans) {
    if (spans.empty()) {
        return "none";
    }
    std::string text;
    for (const auto& span : spans) {
        text += (text.empty() ? "" : ",") + FormatClock(span.Start) + "-" + FormatClock(span.End);
    }
    return text;
}

} // namespace core
