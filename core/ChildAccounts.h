#pragma once

#include <string>
#include <vector>

// The accounts a parent marked as child accounts, kept in Config.ini
// ([ChildAccounts] Users=name,name,...). In the child-account installation
// Config.ini is root's, so a child cannot take its own mark away.
namespace child_accounts {

std::vector<std::string> List(const std::string& configPath);
bool Contains(const std::string& configPath, const std::string& user);
// Adds or removes `user`; false when Config.ini could not be written.
bool Mark(const std::string& configPath, const std::string& user, bool child);

// Whether this process runs as a marked child account (never for root),
// decided once from the installation folder's Config.ini. Such a program
// reads DataBase/ChildView.db and writes its counters and activity lines
// through the service, since the settings are not its to change.
bool RunsInChildAccount();

} // namespace child_accounts
