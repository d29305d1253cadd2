#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace platform {

struct LaunchRequest {
    std::string program;                  // path of the executable
    std::vector<std::string> arguments;   // without the program name
    std::string workingDirectory;         // empty: the caller's
    std::vector<std::string> environment; // "K=V" lines; empty: the caller's environment
    bool asUser = false;                  // switch to uid/gid (needs root)
    uid_t uid = 0;
    gid_t gid = 0;
};

// Starts a program that outlives the caller and is never its child (so it is
// never left as a zombie), in a session of its own. Returns false with the
// reason when the program could not be executed; `pid` receives the new
// process's id.
bool StartDetached(const LaunchRequest& request, std::string* error = nullptr, pid_t* pid = nullptr);

} // namespace platform
