#pragma once

#include <string>

// The service's installation as a systemd unit.
//
// The unit goes to $WARROW_SYSTEMD_UNIT_DIR (default /etc/systemd/system) as
// "<name>.service", and systemd is driven through $WARROW_SYSTEMCTL (default
// "systemctl"), so tests can install without touching the system.
namespace service {

std::string UnitPath(const char* name);

// The unit's text: started at boot, the program's own path, the installation
// folder as working directory, `dependency` (may be null) as After=/Wants=.
// Empty when a value cannot be written safely into a unit.
std::string UnitText(const char* name, const std::string& program, const std::string& folder,
                     const char* dependency);

// Removes an existing installation first, writes and enables the unit.
bool Install(const char* name, const char* dependency);
// Stops, disables and removes an installed unit; true when none was installed.
bool Uninstall(const char* name);

} // namespace service
