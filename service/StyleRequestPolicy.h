#pragma once

#include <optional>
#include <sys/types.h>

// Who may ask the service for a mode change over its socket: root, and the
// user of the seat's active session; a child in its own account may ask for
// the child shell but never for the parent console.
enum class StyleVerdict {
    Allowed,
    NotSeatUser,          // neither root nor the person at the computer
    ChildAskedForConsole, // the child account asked for the parent console
};

StyleVerdict JudgeStyleRequest(uid_t sender, long style, std::optional<uid_t> seatUser, bool seatUserIsChild);

const char* DescribeVerdict(StyleVerdict verdict);
