#include "console/CDlgTimeControl.h"

#include "console/CDlgMessage.h"
#include "console/ConsoleMessageBox.h"
#include "console/DialogLook.h"
#include "console/SettingsSave.h"
#include "console/TimeChoice.h"
#include "core/CWarrowCoreInterface.h"
#include "skin/CGlazeButton.h"
#include "skin/CGlazeEdit.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QRegularExpressionValidator>

#include <functional>

using console::Box;

namespace {

// The layout was drawn in dialog units of the dialog font; these are its pixels.
QRect Units(int x, int y, int width, int height) {
    return QRect(x * 3 / 2, y * 13 / 8, width * 3 / 2, height * 13 / 8);
}

constexpr const char* kPlayTexts[4] = {"无限制", "2小时", "1小时", "自定义"};
constexpr int kPlayRows[4] = {86, 98, 109, 120};
constexpr const char* kRestTexts[4] = {"1小时", "30分钟", "10分钟", "自定义"};
constexpr int kRestRows[4] = {153, 165, 176, 187};
constexpr int kCustom = 3;

CWarrowControl& Control() {
    return *CWarrowCoreInterface::Get()->GetWRControl();
}

// The value of a custom field: its digits, or 0 when empty.
int FieldValue(const CGlazeEdit& edit) {
    return edit.text().toInt();
}

void Notify(QWidget* owner, const char* text) {
    if (CDlgMessage::Instance() != nullptr) {
        ShowNotice(text);
    } else {
        console::MessageBox(owner, QString::fromUtf8(text));
    }
}

} // namespace

CDlgTimeControl::CDlgTimeControl(QWidget* parent)
    : CGlazeDialog(parent), m_pPlayGroup(new QButtonGroup(this)), m_pRestGroup(new QButtonGroup(this)),
      m_pPlayBox(new QGroupBox(QStringLiteral("设置娱乐时间"), this)),
      m_pRestBox(new QGroupBox(QStringLiteral("设置休息时间"), this)), m_pPlayHours(new CGlazeEdit(this)),
      m_pPlayMinutes(new CGlazeEdit(this)), m_pRestHours(new CGlazeEdit(this)),
      m_pRestMinutes(new CGlazeEdit(this)), m_pSet(new CGlazeButton(this)), m_pCancel(new CGlazeButton(this)),
      m_pClose(new CGlazeButton(this)) {
    setWindowTitle(QStringLiteral("时间控制"));
    m_pPlayBox->setGeometry(Units(9, 73, 169, 63));
    m_pRestBox->setGeometry(Units(9, 139, 169, 67));
    for (int i = 0; i < 4; ++i) {
        // The fixed choices get room for their texts; "自定义" ends where its fields start.
        const int width = i == kCustom ? 26 : 60;
        auto* play = new QRadioButton(QString::fromUtf8(kPlayTexts[i]), this);
        play->setGeometry(Units(30, kPlayRows[i], width, 8));
        m_pPlayGroup->addButton(play, i);
        m_play[static_cast<std::size_t>(i)] = play;
        auto* rest = new QRadioButton(QString::fromUtf8(kRestTexts[i]), this);
        rest->setGeometry(Units(30, kRestRows[i], width, 8));
        m_pRestGroup->addButton(rest, i);
        m_rest[static_cast<std::size_t>(i)] = rest;
    }
    struct Field {
        CGlazeEdit* edit;
        QRect where;
        int (*clamp)(int);
    };
    const Field fields[4] = {{m_pPlayHours, Units(70, 118, 19, 12), console::ClampHours},
                             {m_pPlayMinutes, Units(108, 118, 19, 12), console::ClampMinutes},
                             {m_pRestHours, Units(70, 185, 19, 12), console::ClampHours},
                             {m_pRestMinutes, Units(108, 185, 19, 12), console::ClampMinutes}};
    for (const Field& field : fields) {
        CGlazeEdit* edit = field.edit;
        edit->setGeometry(field.where);
        edit->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,4}")), edit));
        edit->setEnabled(false);
        auto clamp = field.clamp;
        connect(edit, &QLineEdit::textChanged, this, [edit, clamp](const QString& text) {
            if (text.isEmpty()) {
                return;
            }
            const int value = text.toInt();
            if (clamp(value) != value) {
                edit->setText(QString::number(clamp(value)));
            }
        });
    }
    for (const auto& [text, x, y] : {std::tuple{"小时", 91, 120}, std::tuple{"分钟", 130, 120},
                                     std::tuple{"小时", 91, 187}, std::tuple{"分钟", 130, 187}}) {
        auto* label = new QLabel(QString::fromUtf8(text), this);
        label->setGeometry(Units(x, y, 16, 8));
    }
    connect(m_pPlayGroup, &QButtonGroup::idClicked, this, [this] { EnableCustomFields(); });
    connect(m_pRestGroup, &QButtonGroup::idClicked, this, [this] { EnableCustomFields(); });
    m_pSet->setText(QStringLiteral("设  置"));
    m_pCancel->setText(QStringLiteral("取  消"));
    connect(m_pSet, &QAbstractButton::clicked, this, [this] { OnOK(); });
    connect(m_pCancel, &QAbstractButton::clicked, this, [this] { OnCancel(); });
    connect(m_pClose, &QAbstractButton::clicked, this, [this] { OnCancel(); });
}

bool CDlgTimeControl::OnInitDialog() {
    if (!SetImage("Resource/家长界面/保护设置/时间控制框.bmp")) {
        return false;
    }
    SetTextColor(ToQColor(RGB(0x14, 0x3A, 0x71)));
    console::CloseButtonLook(*m_pClose);
    console::PushButtonLook(*m_pSet, Box(93, 341, 175, 365));
    console::PushButtonLook(*m_pCancel, Box(183, 341, 265, 365));

    const tagConfig& config = Control().GetConfig();
    const console::tagTimeShown play = console::ShowPlayTime(config.PlayTime);
    m_play.at(static_cast<std::size_t>(play.choice))->setChecked(true);
    if (play.choice == kCustom) {
        m_pPlayHours->setText(QString::number(play.hours));
        m_pPlayMinutes->setText(QString::number(play.minutes));
    }
    const console::tagTimeShown rest = console::ShowRestTime(config.RestTime);
    m_rest.at(static_cast<std::size_t>(rest.choice))->setChecked(true);
    if (rest.choice == kCustom) {
        m_pRestHours->setText(QString::number(rest.hours));
        m_pRestMinutes->setText(QString::number(rest.minutes));
    }
    EnableCustomFields();
    return true;
}

int CDlgTimeControl::DoModal() {
    if (!OnInitDialog()) {
        return console::IDCANCEL;
    }
    return exec() == QDialog::Accepted ? console::IDOK : console::IDCANCEL;
}

void CDlgTimeControl::EnableCustomFields() {
    const bool playCustom = m_pPlayGroup->checkedId() == kCustom;
    m_pPlayHours->setEnabled(playCustom);
    m_pPlayMinutes->setEnabled(playCustom);
    const bool restCustom = m_pRestGroup->checkedId() == kCustom;
    m_pRestHours->setEnabled(restCustom);
    m_pRestMinutes->setEnabled(restCustom);
}

void CDlgTimeControl::OnOK() {
    tagConfig& config = Control().GetConfig();
    // Both lengths are checked before either is taken, so a refused rest
    // leaves no new play time behind in the console's settings.
    std::optional<int> play;
    if (const int choice = m_pPlayGroup->checkedId(); choice >= 0) {
        play = console::PlayTimeOf(static_cast<console::enPlayChoice>(choice), FieldValue(*m_pPlayHours),
                                   FieldValue(*m_pPlayMinutes));
        if (!play) {
            Notify(this, "请输入有效的娱乐时间");
            return;
        }
    }
    std::optional<int> rest;
    if (const int choice = m_pRestGroup->checkedId(); choice >= 0) {
        rest = console::RestTimeOf(static_cast<console::enRestChoice>(choice), FieldValue(*m_pRestHours),
                                   FieldValue(*m_pRestMinutes));
        if (!rest) {
            Notify(this, "请输入有效的休息时间");
            return;
        }
    }
    if (play) {
        config.PlayTime = *play;
    }
    if (rest) {
        config.RestTime = *rest;
    }
    done(QDialog::Accepted);
    console::SaveSettings(Control());
}

void CDlgTimeControl::OnCancel() {
    done(QDialog::Rejected);
}
