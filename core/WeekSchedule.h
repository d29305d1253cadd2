#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace core {

// Hours of one day in which the computer may be used, in minutes since
// midnight: start < end <= 1440 (a span may end at midnight, "24:00").
struct tagTimeSpan {
    int Start = 0;
    int End = 0;
    bool operator==(const tagTimeSpan&) const = default;
};

// Per weekday (0 Monday .. 6 Sunday) the spans the child may use the
// computer. A day without an entry has no limits; a day with an empty list
// is closed all day.
class CWeekSchedule {
public:
    static constexpr int kDays = 7;
    static constexpr int kDayMinutes = 1440;

    using Spans = std::optional<std::vector<tagTimeSpan>>;

    // Sorts the spans and joins those that touch or overlap.
    void Set(int weekday, std::vector<tagTimeSpan> spans);
    void Clear(int weekday);
    const Spans& Day(int weekday) const { return m_days.at(static_cast<std::size_t>(weekday)); }
    bool Empty() const;

    bool Allows(int weekday, int minute) const;
    // Minutes from `minute` until the allowed hours end, with a span that
    // runs to midnight going on into the next day's span from 00:00.
    // Nullopt when no end comes within a week; 0 when not allowed now.
    std::optional<int> MinutesLeft(int weekday, int minute) const;

private:
    std::array<Spans, kDays> m_days;
};

// "mon".."sun", any letter case.
std::optional<int> ParseWeekday(const std::string& text);
const char* WeekdayName(int weekday);
// "HH:MM-HH:MM[,...]" (end up to 24:00), or "none" for a closed day.
std::optional<std::vector<tagTimeSpan>> ParseSpans(const std::string& text);
// The same forms back; "none" for an empty list.
std::string FormatSpans(const std::vector<tagTimeSpan>& spans);

} // namespace core
