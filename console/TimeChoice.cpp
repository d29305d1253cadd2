#include "console/TimeChoice.h"

namespace console {

namespace {

constexpr int kTwoHours = 2 * kHourMs;
constexpr int kHalfHour = 30 * kMinuteMs;
constexpr int kTenMinutes = 10 * kMinuteMs;

tagTimeShown Custom(int choice, int ms) {
    return {choice, ms / kHourMs, ms / kMinuteMs % 60};
}

std::optional<int> CustomLength(int hours, int minutes) {
    const long long ms =
        static_cast<long long>(hours) * kHourMs + static_cast<long long>(minutes) * kMinuteMs;
    if (ms <= 0 || ms > 0x7FFFFFFF) {
        return std::nullopt;
    }
    return static_cast<int>(ms);
}

} // namespace

tagTimeShown ShowPlayTime(int playMs) {
    switch (playMs) {
    case kHourMs:
        return {static_cast<int>(enPlayChoice::OneHour), 0, 0};
    case kTwoHours:
        return {static_cast<int>(enPlayChoice::TwoHours), 0, 0};
    case kUnlimitedPlay:
        return {static_cast<int>(enPlayChoice::Unlimited), 0, 0};
    default:
        return Custom(static_cast<int>(enPlayChoice::Custom), playMs);
    }
}

tagTimeShown ShowRestTime(int restMs) {
    switch (restMs) {
    case kTenMinutes:
        return {static_cast<int>(enRestChoice::TenMinutes), 0, 0};
    case kHalfHour:
        return {static_cast<int>(enRestChoice::HalfHour), 0, 0};
    case kHourMs:
        return {static_cast<int>(enRestChoice::OneHour), 0, 0};
    default:
        return Custom(static_cast<int>(enRestChoice::Custom), restMs);
    }
}

std::optional<int> PlayTimeOf(enPlayChoice choice, int hours, int minutes) {
    switch (choice) {
    case enPlayChoice::Unlimited:
        return kUnlimitedPlay;
    case enPlayChoice::TwoHours:
        return kTwoHours;
    case enPlayChoice::OneHour:
        return kHourMs;
    case enPlayChoice::Custom:
        break;
    }
    return CustomLength(hours, minutes);
}

std::optional<int> RestTimeOf(enRestChoice choice, int hours, int minutes) {
    switch (choice) {
    case enRestChoice::OneHour:
        return kHourMs;
    case enRestChoice::HalfHour:
        return kHalfHour;
    case enRestChoice::TenMinutes:
        return kTenMinutes;
    case enRestChoice::Custom:
        break;
    }
    return CustomLength(hours, minutes);
}

int ClampHours(int hours) {
    return hours > 22 ? 23 : hours;
}

int ClampMinutes(int minutes) {
    return minutes > 58 ? 59 : minutes;
}

} // namespace console
