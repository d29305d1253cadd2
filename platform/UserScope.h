#pragma once

#include <memory>
#include <string>
#include <sys/types.h>

struct sd_bus;
struct sd_bus_slot;

namespace platform {

// The user's service manager (`systemd --user`) on the user's bus. A
// transient scope holds a started program and everything it starts, also
// processes that leave its process group (`setsid`, a double fork into a new
// session), so ending the scope ends them all.
class UserManager {
public:
    // Nothing when no user manager answers: no user bus, or a bus without
    // systemd on it. The caller then keeps to process groups.
    static std::unique_ptr<UserManager> Connect();
    ~UserManager();
    UserManager(const UserManager&) = delete;
    UserManager& operator=(const UserManager&) = delete;

    // Moves `pid` into a new scope "warrow-app-<pid>.scope" and waits until
    // the manager has done it; the unit's name, empty on failure.
    std::string StartScope(pid_t pid);
    // Sends `signal` to every process of the unit; false when the manager
    // refused (the unit is gone).
    bool Kill(const std::string& unit, int signal);
    // True while the unit still holds processes.
    bool Active(const std::string& unit);

private:
    explicit UserManager(sd_bus* bus) : m_bus(bus) {}
    void StopListening(sd_bus_slot* slot);
    sd_bus* m_bus;
};

} // namespace platform
