#pragma once

#include <optional>
#include <string>

struct tagConfig;
struct tagSystemInfo;

// The child's play and rest cycle, counted in whole seconds by the shell.
// Schedule: the rest screen outside the hours the parent set.
enum class enShellView { Play, Rest, None, Schedule };

// The view a shell starting with this Time/TimeStyle shows.
enShellView StartView(int timeStyle);

// One second of the child's time: adds 1000 ms to the count of the current
// period and, when the period is used up (lengths compared as unsigned
// numbers, so a negative count ends a period at once), switches to the
// other one with a fresh count. Returns the view to show after a switch.
std::optional<enShellView> TickPlayTime(tagConfig& config);

// The rest notice's text for the rest time it still shows.
std::string RestNoticeText(int remainingMs);

// Whether the typed text unlocks the shell: anything when no account is set
// up, otherwise exactly the parent password (case matters).
bool CheckExitPassword(const tagSystemInfo& system, const std::string& typed);
// The same for the parent granting `minutes` of extra time; in a child
// account the service then takes a store of that much more extra time, once.
bool CheckGrantPassword(const tagSystemInfo& system, const std::string& typed, int minutes);
