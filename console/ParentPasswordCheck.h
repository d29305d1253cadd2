#pragma once
// The checks of the parent-password dialog, kept apart from the widgets.

#include <string>

namespace console {

struct tagPasswordEntries {
    std::string oldText;
    std::string newText;
    std::string confirmText;
};

// Empty `notice` and accepted: the entries may be stored. Not accepted with
// an empty notice: an entry is missing and the dialog stays without a word.
struct tagPasswordVerdict {
    bool accepted = false;
    const char* notice = nullptr;
};

// `firstSet`: no old password is asked. `stored`: the current parent password.
tagPasswordVerdict CheckParentPassword(bool firstSet, const tagPasswordEntries& entries,
                                       const std::string& stored);

} // namespace console
