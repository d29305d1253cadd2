#include "shell/TimeKeeper.h"

#include "core/CWarrowControl.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <set>

namespace {

constexpr std::int64_t kMinuteMs = 60000;
// A tick that comes late counts the time since the last one, up to this:
// the monotonic clock stands still in a suspend, so more is never real play.
constexpr std::int64_t kLongestTickMs = 60000;

bool Reached(int count, int length) {
    return static_cast<std::uint32_t>(count) >= static_cast<std::uint32_t>(length);
}

std::string Format(const std::string& format, const std::string& name, std::int64_t minutes) {
    char text[512];
    if (format.find("%s") != std::string::npos) {
        std::snprintf(text, sizeof text, format.c_str(), name.c_str(), static_cast<int>(minutes));
    } else {
        std::snprintf(text, sizeof text, format.c_str(), static_cast<int>(minutes));
    }
    return text;
}

} // namespace

tagTimeRules LoadTimeRules(CDataBase* db, const ltl::CIni& config) {
    tagTimeRules rules;
    if (db != nullptr) {
        core::LoadSchedule(*db, rules.Schedule);
        core::LoadAppLimits(*db, rules.Apps);
    }
    rules.WarningMinutes = core::ReadWarningMinutes(config);
    return rules;
}

CTimeKeeper::CTimeKeeper(const core::IUsageClock& clock, tagTimeRules rules, core::tagDailyCounters counters)
    : m_clock(clock), m_rules(std::move(rules)), m_counters(std::move(counters)),
      m_lastMs(clock.MonotonicMs()) {}

void CTimeKeeper::RollDay() {
    const core::tagLocalTime now = m_clock.Now();
    if (now.Day > m_counters.Day) {
        m_counters = core::tagDailyCounters{};
        m_counters.Day = now.Day;
        m_counters.Minute = now.Minute;
    } else if (now.Day == m_counters.Day) {
        m_counters.Minute = std::max(m_counters.Minute, now.Minute);
    }
    // An earlier day: the clock was set back; the counters stay where they are.
}

bool CTimeKeeper::OverLimit(const std::string& appName) const {
    const auto limit = m_rules.Apps.find(appName);
    if (limit == m_rules.Apps.end() || limit->second.Minutes < 0) {
        return false;
    }
    const auto used = m_counters.AppMs.find(appName);
    return (used == m_counters.AppMs.end() ? 0 : used->second) >= limit->second.Minutes * kMinuteMs;
}

bool CTimeKeeper::IsUsedUp(const std::string& appName) {
    RollDay();
    return m_counters.ExtraMs <= 0 && OverLimit(appName);
}

void CTimeKeeper::Grant(int minutes) {
    RollDay();
    if (minutes > 0) {
        m_counters.ExtraMs += minutes * kMinuteMs;
    }
}

void CTimeKeeper::Warn(const std::string& key, std::int64_t leftMs, const std::string& format,
                       tagTimeDecision& decision, std::map<std::string, std::int64_t>& seen) {
    const auto last = m_lastLeft.find(key);
    const std::int64_t before =
        last == m_lastLeft.end() ? std::numeric_limits<std::int64_t>::max() : last->second;
    seen[key] = leftMs;
    if (leftMs <= 0) {
        return;
    }
    const bool crossed =
        std::any_of(m_rules.WarningMinutes.begin(), m_rules.WarningMinutes.end(),
                    [&](int m) { return before > m * kMinuteMs && leftMs <= m * kMinuteMs; });
    if (crossed) {
        const std::string name = key.rfind("app:", 0) == 0 ? key.substr(4) : std::string();
        decision.Warnings.push_back(Format(format, name, (leftMs + kMinuteMs - 1) / kMinuteMs));
    }
}

tagTimeDecision CTimeKeeper::Tick(const std::vector<tagRunningProgram>& running, const tagConfig& config) {
    const std::int64_t nowMs = m_clock.MonotonicMs();
    const std::int64_t elapsed = std::clamp<std::int64_t>(nowMs - m_lastMs, 0, kLongestTickMs);
    m_lastMs = nowMs;
    RollDay();

    tagTimeDecision decision;
    const int weekday = core::WeekdayOf(m_counters.Day);
    const bool outside = !m_rules.Schedule.Allows(weekday, m_counters.Minute);
    // The count after this second, wrapping as the cycle's count does.
    const int nextCount = static_cast<int>(static_cast<std::uint32_t>(config.CountTime) + 1000u);
    const bool restDue =
        config.TimeStyle == 1 || (config.TimeStyle == 0 && Reached(nextCount, config.PlayTime));

    std::map<std::string, std::string> programs; // AppName -> name, each once
    for (const auto& program : running) {
        programs.emplace(program.AppName, program.Name);
    }
    std::vector<std::string> over;
    bool counted = false;
    bool learning = false;
    for (const auto& [appName, name] : programs) {
        if (OverLimit(appName)) {
            over.push_back(appName);
        }
        const auto limit = m_rules.Apps.find(appName);
        (limit != m_rules.Apps.end() && limit->second.Learning ? learning : counted) = true;
    }

    const bool usingExtra = (outside || restDue || !over.empty()) && m_counters.ExtraMs > 0;
    if (usingExtra) {
        m_counters.ExtraMs = std::max<std::int64_t>(0, m_counters.ExtraMs - elapsed);
        decision.HoldRest = restDue;
    } else {
        decision.OutsideSchedule = outside;
        decision.UsedUp = over;
    }
    // Outside the hours nothing counts; a learning program alone does not
    // use play time (the rest, once begun, always runs down).
    decision.CountPlay =
        !decision.OutsideSchedule && !decision.HoldRest && !(config.TimeStyle == 0 && learning && !counted);

    const bool playing = !decision.OutsideSchedule && (config.TimeStyle != 1 || decision.HoldRest);
    if (playing) {
        for (const auto& [appName, name] : programs) {
            m_counters.AppMs[appName] += elapsed;
        }
    }

    std::map<std::string, std::int64_t> seen;
    if (usingExtra) {
        Warn("extra", m_counters.ExtraMs, "延长的时间还剩%d分钟.", decision, seen);
    } else if (playing) {
        if (config.TimeStyle == 0) {
            // As the count will stand after this second.
            const std::int64_t count =
                static_cast<std::int64_t>(config.CountTime) + (decision.CountPlay ? 1000 : 0);
            Warn("rest", static_cast<std::int64_t>(config.PlayTime) - count + m_counters.ExtraMs,
                 "还有%d分钟就要休息了.", decision, seen);
        }
        if (const auto left = m_rules.Schedule.MinutesLeft(weekday, m_counters.Minute)) {
            Warn("schedule", *left * kMinuteMs + m_counters.ExtraMs,
                 "还有%d分钟就到今天停止使用电脑的时间了.", decision, seen);
        }
        for (const auto& [appName, name] : programs) {
            const auto limit = m_rules.Apps.find(appName);
            if (limit != m_rules.Apps.end() && limit->second.Minutes >= 0) {
                Warn("app:" + name,
                     limit->second.Minutes * kMinuteMs - m_counters.AppMs[appName] + m_counters.ExtraMs,
                     "[%s]今天还能用%d分钟.", decision, seen);
            }
        }
    }
    m_lastLeft = std::move(seen);
    return decision;
}
