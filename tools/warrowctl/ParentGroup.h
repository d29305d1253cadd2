#pragma once

#include <string>
#include <sys/types.h>

// The system group of the parents, the people who run the console. In a
// child-account installation its members may change the settings; no child
// account may be one of them.
namespace parent_group {

// "warrow"; $WARROW_PARENT_GROUP names another group (tests).
std::string Name();

// The group's id, creating it (groupadd --system) when missing. On failure
// false with the reason in `error`.
bool Ensure(gid_t& gid, bool& created, std::string& error);

// Whether `user` belongs to the group `group` (its primary group counts).
bool IsMember(const std::string& user, const std::string& group);

// usermod -aG; false with the reason in `error`.
bool AddMember(const std::string& user, std::string& error);

} // namespace parent_group
