#pragma once
// The account-number and password fields that the login and the
// change-account dialogs share: labels, edits and hints, placed `dx` pixels
// right of the login dialog's positions.

#include <string>

class CGlazeEdit;
class CGlazeStatic;
class QWidget;

namespace console {

struct tagAccountFields {
    CGlazeStatic* accountLabel = nullptr;
    CGlazeEdit* accountEdit = nullptr;
    CGlazeStatic* accountHint = nullptr;
    CGlazeStatic* passwordLabel = nullptr;
    CGlazeEdit* passwordEdit = nullptr;
    CGlazeStatic* passwordHint = nullptr;
};

// Creates the six controls as children of `parent`. The hints end at
// `hintRight` (the login dialog's are narrower).
tagAccountFields CreateAccountFields(QWidget* parent, int labelLeft, int fieldLeft, int hintRight);

// The account number as the standard decimal conversion reads the text:
// leading zeros vanish, the digits end at the first other character.
int AccountNumber(const std::string& text);

// Sets the System record's account number and password digest in memory.
// False when there is no record or the password has no digest.
bool SetAccountInMemory(const std::string& accountText, const std::string& password);

} // namespace console
