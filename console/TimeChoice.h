#pragma once
// The play and rest lengths the time-control dialog offers, as radio choices
// and custom hours and minutes, without any window: which choice a stored
// length shows as, the length a choice stands for, and the limits of the
// custom fields. Lengths are milliseconds, as Config.ini keeps them.

#include <optional>

namespace console {

constexpr int kUnlimitedPlay = -2;
constexpr int kHourMs = 3600000;
constexpr int kMinuteMs = 60000;

// The fixed choices, in the dialog's order; Custom takes hours and minutes.
enum class enPlayChoice { Unlimited, TwoHours, OneHour, Custom };
enum class enRestChoice { OneHour, HalfHour, TenMinutes, Custom };

struct tagTimeShown {
    int choice;  // an enPlayChoice or enRestChoice
    int hours;   // for Custom only
    int minutes; // for Custom only
};

tagTimeShown ShowPlayTime(int playMs);
tagTimeShown ShowRestTime(int restMs);

// The length of a choice; Custom is hours × 1 h + minutes × 1 min. Nothing
// for a custom length of 0, which the dialog refuses.
std::optional<int> PlayTimeOf(enPlayChoice choice, int hours, int minutes);
std::optional<int> RestTimeOf(enRestChoice choice, int hours, int minutes);

// What a custom field shows while the parent types: hours above 22 become
// 23, minutes above 58 become 59, anything else stays as typed.
int ClampHours(int hours);
int ClampMinutes(int minutes);

} // namespace console
