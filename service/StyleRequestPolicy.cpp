#include "service/StyleRequestPolicy.h"

#include "core/CWarrowControl.h"

StyleVerdict JudgeStyleRequest(uid_t sender, long style, std::optional<uid_t> seatUser,
                               bool seatUserIsChild) {
    if (sender == 0) {
        return StyleVerdict::Allowed;
    }
    if (!seatUser || sender != *seatUser) {
        return StyleVerdict::NotSeatUser;
    }
    // Only STYLE_CHILD is harmless for a child: anything else would leave it.
    if (seatUserIsChild && style != STYLE_CHILD) {
        return StyleVerdict::ChildAskedForConsole;
    }
    return StyleVerdict::Allowed;
}

const char* DescribeVerdict(StyleVerdict verdict) {
    switch (verdict) {
    case StyleVerdict::Allowed:
        return "allowed";
    case StyleVerdict::NotSeatUser:
        return "not root and not the person at the computer";
    case StyleVerdict::ChildAskedForConsole:
        return "a child account may not ask for the parent console";
    }
    return "refused";
}
