#include "console/AccountFields.h"

#include "console/DialogLook.h"
#include "core/CWarrowCoreInterface.h"
#include "net/PasswordDigest.h"
#include "skin/CGlazeEdit.h"
#include "skin/CGlazeStatic.h"

#include <QRegularExpressionValidator>

#include <cstdlib>

namespace console {

tagAccountFields CreateAccountFields(QWidget* parent, int labelLeft, int fieldLeft, int hintRight) {
    tagAccountFields f;
    f.accountLabel = new CGlazeStatic(parent);
    f.accountEdit = new CGlazeEdit(parent);
    f.accountHint = new CGlazeStatic(parent);
    f.passwordLabel = new CGlazeStatic(parent);
    f.passwordEdit = new CGlazeEdit(parent);
    f.passwordHint = new CGlazeStatic(parent);

    LabelLook(*f.accountLabel, Box(labelLeft, 131, labelLeft + 50, 152), "Tavi号:");
    f.accountEdit->setGeometry(Box(fieldLeft, 127, fieldLeft + 85, 148));
    f.accountEdit->setMaxLength(8);
    f.accountEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,8}")), f.accountEdit));
    LabelLook(*f.accountHint, Box(fieldLeft, 152, hintRight, 184), "注册后获得的5位-8位数字。\n例：88888");
    LabelLook(*f.passwordLabel, Box(labelLeft, 199, labelLeft + 50, 220), "密码:");
    f.passwordEdit->setGeometry(Box(fieldLeft, 195, fieldLeft + 85, 216));
    f.passwordEdit->setEchoMode(QLineEdit::Password);
    LabelLook(*f.passwordHint, Box(fieldLeft, 220, hintRight, 252), "注册时所填的密码。");
    return f;
}

int AccountNumber(const std::string& text) {
    return std::atoi(text.c_str());
}

bool SetAccountInMemory(const std::string& accountText, const std::string& password) {
    CWarrowDBConfig* config = CWarrowCoreInterface::Get()->GetDBConfig();
    std::string digest;
    if (config == nullptr || !wire::PasswordDigest(password, digest)) {
        return false;
    }
    config->GetInfo().ID = AccountNumber(accountText);
    config->GetInfo().Password = digest;
    return true;
}

} // namespace console
