#include "platform/ConsoleSession.h"

#include "platform/ProcessLauncher.h"
#include "platform/SystemUnitLauncher.h"

#include <systemd/sd-daemon.h>
#include <systemd/sd-login.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <pwd.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace platform {
namespace {

std::string TakeString(char* text) {
    std::string result = text ? text : "";
    std::free(text);
    return result;
}

// Variables the session's own programs received that a started program also needs.
std::vector<std::string> LeaderVariables(pid_t leader) {
    static const std::vector<std::string> kWanted = {"DISPLAY=", "XAUTHORITY=", "WAYLAND_DISPLAY="};
    std::vector<std::string> found;
    std::ifstream environ("/proc/" + std::to_string(leader) + "/environ", std::ios::binary);
    std::string entry;
    while (std::getline(environ, entry, '\0')) {
        for (const auto& prefix : kWanted) {
            if (entry.rfind(prefix, 0) == 0) {
                found.push_back(entry);
            }
        }
    }
    return found;
}

// logind publishes each session's leader process in its state file.
pid_t SessionLeader(const std::string& id) {
    std::ifstream state("/run/systemd/sessions/" + id);
    std::string line;
    while (std::getline(state, line)) {
        if (line.rfind("LEADER=", 0) == 0) {
            return static_cast<pid_t>(std::atoi(line.c_str() + 7));
        }
    }
    return 0;
}

bool LogindRuns() {
    struct stat st {};
    return sd_booted() > 0 && ::stat("/run/systemd/seats", &st) == 0;
}

} // namespace

SessionLookup FindConsoleSession(ConsoleSession& session) {
    if (!LogindRuns()) {
        return SessionLookup::NotAvailable;
    }
    char* id = nullptr;
    uid_t uid = 0;
    if (sd_seat_get_active("seat0", &id, &uid) < 0 || id == nullptr) {
        std::free(id);
        return SessionLookup::NoSessionYet;
    }
    session.id = TakeString(id);
    char* text = nullptr;
    sd_session_get_type(session.id.c_str(), &text);
    const std::string type = TakeString(text);
    sd_session_get_class(session.id.c_str(), &text);
    const std::string sessionClass = TakeString(text);
    if ((type != "x11" && type != "wayland") || sessionClass != "user") {
        return SessionLookup::NoSessionYet; // a greeter or a text console
    }
    const passwd* pw = ::getpwuid(uid);
    if (pw == nullptr) {
        return SessionLookup::NoSessionYet;
    }
    session.uid = uid;
    session.gid = pw->pw_gid;
    session.userName = pw->pw_name;
    const std::string runtime = "/run/user/" + std::to_string(uid);
    session.environment = {
        "HOME=" + std::string(pw->pw_dir),
        "USER=" + session.userName,
        "LOGNAME=" + session.userName,
        "SHELL=" + std::string(pw->pw_shell),
        "PATH=/usr/local/bin:/usr/bin:/bin",
        "XDG_RUNTIME_DIR=" + runtime,
        "DBUS_SESSION_BUS_ADDRESS=unix:path=" + runtime + "/bus",
        "XDG_SESSION_ID=" + session.id,
        "XDG_SEAT=seat0",
        "XDG_SESSION_TYPE=" + type,
    };
    if (const char* lang = std::getenv("LANG")) {
        session.environment.push_back(std::string("LANG=") + lang);
    }
    sd_session_get_display(session.id.c_str(), &text);
    const std::string display = TakeString(text);
    if (!display.empty()) {
        session.environment.push_back("DISPLAY=" + display);
    }
    if (const pid_t leader = SessionLeader(session.id); leader > 0) {
        for (auto& variable : LeaderVariables(leader)) {
            if (variable.rfind("DISPLAY=", 0) != 0 || display.empty()) {
                session.environment.push_back(std::move(variable));
            }
        }
    }
    return SessionLookup::Found;
}

std::optional<uid_t> ActiveSeatUser() {
    if (const char* test = std::getenv("WARROW_TEST_SEAT_UID"); test != nullptr && *test != '\0') {
        return static_cast<uid_t>(std::strtoul(test, nullptr, 10));
    }
    uid_t uid = 0;
    if (!LogindRuns() || sd_seat_get_active("seat0", nullptr, &uid) < 0) {
        return std::nullopt;
    }
    return uid;
}

bool RootMayStartDirectly() {
    const char* value = std::getenv(kTestRootStartVariable);
    return value != nullptr && std::string(value) == "1";
}

bool StartForConsoleUser(const std::string& program, const std::string& folder, std::string* error,
                         const std::function<void()>& onWait, pid_t* pid) {
    LaunchRequest request{program, {}, folder, {}, false, 0, 0, {}};
    if (::geteuid() != 0) {
        return StartDetached(request, error, pid);
    }
    for (;;) {
        ConsoleSession session;
        switch (FindConsoleSession(session)) {
        case SessionLookup::NotAvailable:
            // Nobody to start it for: a program of the family never runs as root.
            if (!RootMayStartDirectly()) {
                if (error) {
                    *error = "no login manager (systemd-logind) to find the person at the computer; not "
                             "starting it as root";
                }
                errno = EPERM;
                return false;
            }
            return StartDetached(request, error, pid);
        case SessionLookup::Found:
            request.environment = session.environment;
            request.asUser = true;
            request.uid = session.uid;
            request.gid = session.gid;
            // A sandboxed service must not hand its sandbox down.
            return RunningAsSystemUnit() ? StartInSystemUnit(request, error, pid)
                                         : StartDetached(request, error, pid);
        case SessionLookup::NoSessionYet:
            if (onWait) {
                onWait();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            break;
        }
    }
}

} // namespace platform
