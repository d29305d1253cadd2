#pragma once

#include <string>
#include <vector>

// `warrowctl child add|del|list [USER]`: marks accounts as child accounts in
// Config.ini and makes the Warrow session the default of a child account
// (AccountsService over D-Bus, or its user file when the service is not
// running; $WARROW_ACCOUNTSSERVICE_DIR names another folder for that file and
// skips D-Bus). Warns when a child account is an administrator or has no
// password. `add` runs as root only: it makes the installation root's
// (protect::Apply) and the administrator running sudo a parent, and refuses
// an account in the parents' group. Returns the tool's exit status.
int ChildCommand(const std::vector<std::string>& arguments);

// The user file's text with [User] XSession= and Session= set to `session`,
// every other line kept.
std::string WithSession(const std::string& text, const std::string& session);
