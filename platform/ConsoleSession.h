#pragma once

#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace platform {

// The graphical session of the person at the computer (the active session of
// seat0), through systemd-logind.
struct ConsoleSession {
    std::string id;
    uid_t uid = 0;
    gid_t gid = 0;
    std::string userName;
    std::vector<std::string> environment; // what a program started for that user needs
};

enum class SessionLookup {
    Found,        // a user's graphical session is active on seat0
    NoSessionYet, // logind runs, but nobody is logged in graphically yet
    NotAvailable, // no logind on this system: there is no session to look for
};

SessionLookup FindConsoleSession(ConsoleSession& session);

// The user of seat0's active session: none without logind or while nobody is
// logged in. Tests name one with $WARROW_TEST_SEAT_UID.
std::optional<uid_t> ActiveSeatUser();

// How a program of the suite is started for the person at the computer: a
// normal user starts it directly; root (the service) starts it as the user of
// the active graphical session, waiting while nobody is logged in (in a unit
// of its own when the service itself runs as a systemd unit). Root on a system
// without logind refuses (EPERM): there is nobody to start it for, and a
// family's program never runs as root; tests set kTestRootStartVariable to 1
// to start it directly anyway. `onWait` is told each time it waits; `pid`
// receives the started program's process id.
bool StartForConsoleUser(const std::string& program, const std::string& folder, std::string* error = nullptr,
                         const std::function<void()>& onWait = {}, pid_t* pid = nullptr);

constexpr const char* kTestRootStartVariable = "WARROW_TEST_START_AS_ROOT";

// True when kTestRootStartVariable is set to 1.
bool RootMayStartDirectly();

} // namespace platform
