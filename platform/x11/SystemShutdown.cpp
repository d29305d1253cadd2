#include "platform/x11/SystemShutdown.h"

#include <systemd/sd-bus.h>

#include <cerrno>
#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h> // environ

namespace deskguard {

namespace {

// Stands in for the power action, so that tests and demonstrations never
// power anything off.
constexpr const char* kCommandVariable = "WARROW_SHUTDOWN_COMMAND";

bool RunCommand(const char* command, const char* action) {
    char sh[] = "/bin/sh";
    char dashC[] = "-c";
    char name[] = "warrow-shutdown";
    char* argv[] = {sh, dashC, const_cast<char*>(command), name, const_cast<char*>(action), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, sh, nullptr, nullptr, argv, environ) != 0)
        return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool CallLogind(const char* method) {
    sd_bus* bus = nullptr;
    if (sd_bus_open_system(&bus) < 0)
        return false;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    // interactive = false: nobody is there to answer a password prompt.
    const int result = sd_bus_call_method(bus, "org.freedesktop.login1", "/org/freedesktop/login1",
                                          "org.freedesktop.login1.Manager", method, &error, &reply, "b", 0);
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
    sd_bus_flush_close_unref(bus);
    return result >= 0;
}

} // namespace

int SystemShutdown(int how) {
    if (how != 0 && how != 1)
        return 0;
    const char* command = std::getenv(kCommandVariable);
    if (command && *command)
        return RunCommand(command, how == 0 ? "poweroff" : "reboot") ? 1 : 0;
    return CallLogind(how == 0 ? "PowerOff" : "Reboot") ? 1 : 0;
}

} // namespace deskguard
