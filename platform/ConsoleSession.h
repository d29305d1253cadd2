#pragma once

#include <functional>
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

// How a program of the suite is started for the person at the computer: a
// normal user starts it directly; root (the service) starts it as the user of
// the active graphical session, waiting while nobody is logged in; root on a
// system without logind starts it directly. `onWait` is told each time it waits.
bool StartForConsoleUser(const std::string& program, const std::string& folder, std::string* error = nullptr,
                         const std::function<void()>& onWait = {});

} // namespace platform
