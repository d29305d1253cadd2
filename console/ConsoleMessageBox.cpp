#include "console/ConsoleMessageBox.h"

#include <QMessageBox>

#include <deque>

namespace console {
namespace {

bool s_bScripted = false;
std::deque<int> s_answers;

} // namespace

int MessageBox(QWidget* parent, const QString& text, enMessageBoxType type) {
    if (s_bScripted) {
        ShownMessageBoxes().push_back(text);
        if (s_answers.empty()) {
            return type == MB_YESNO ? IDYES : IDOK;
        }
        const int answer = s_answers.front();
        s_answers.pop_front();
        return answer;
    }
    const QString title = QStringLiteral("Tavi儿童保护系统");
    switch (type) {
    case MB_OKCANCEL:
        return QMessageBox::question(parent, title, text, QMessageBox::Ok | QMessageBox::Cancel) ==
                       QMessageBox::Ok
                   ? IDOK
                   : IDCANCEL;
    case MB_YESNO:
        return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No) ==
                       QMessageBox::Yes
                   ? IDYES
                   : IDNO;
    case MB_OK:
        break;
    }
    QMessageBox::information(parent, title, text);
    return IDOK;
}

void SetMessageBoxScripted(bool scripted) {
    s_bScripted = scripted;
    s_answers.clear();
    ShownMessageBoxes().clear();
}

void PushMessageBoxAnswer(int answer) {
    s_answers.push_back(answer);
}

std::vector<QString>& ShownMessageBoxes() {
    static std::vector<QString> shown;
    return shown;
}

} // namespace console
