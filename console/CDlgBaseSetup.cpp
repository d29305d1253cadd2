#include "console/CDlgBaseSetup.h"

#include "console/ConsoleMessageBox.h"
#include "console/DialogLook.h"
#include "console/SettingsSave.h"
#include "core/CWarrowCoreInterface.h"
#include "skin/CGlazeButton.h"
#include "skin/CGlazeCheckButton.h"

using console::Box;

namespace {

const QRect kOptionRects[CDlgBaseSetup::kOptions] = {Box(61, 91, 76, 106),  Box(80, 112, 95, 127),
                                                     Box(80, 131, 95, 146), Box(80, 229, 95, 244),
                                                     Box(80, 249, 95, 264), Box(80, 270, 95, 285)};

void CheckLook(CGlazeCheckButton& button, const QRect& where) {
    button.SetImage("Resource/家长界面/保护设置/CheckButton00.bmp", 0);
    button.SetImage("Resource/家长界面/保护设置/CheckButton01.bmp", 1);
    button.SetImage("Resource/家长界面/保护设置/CheckButton00.bmp", 2);
    button.SetImage("Resource/家长界面/保护设置/CheckButton03.bmp", 3);
    button.setGeometry(where);
}

CWarrowControl& Control() {
    return *CWarrowCoreInterface::Get()->GetWRControl();
}

} // namespace

CDlgBaseSetup::CDlgBaseSetup(QWidget* parent)
    : CGlazeDialog(parent), m_pSet(new CGlazeButton(this)), m_pCancel(new CGlazeButton(this)),
      m_pClose(new CGlazeButton(this)) {
    setWindowTitle(QStringLiteral("基本设置"));
    for (int i = 0; i < kOptions; ++i) {
        auto* option = new CGlazeCheckButton(this);
        m_options[static_cast<std::size_t>(i)] = option;
        connect(option, &QAbstractButton::clicked, this, [this, i] { OnOption(static_cast<enOption>(i)); });
    }
    m_pSet->setText(QStringLiteral("设  置"));
    m_pCancel->setText(QStringLiteral("取  消"));
    connect(m_pSet, &QAbstractButton::clicked, this, [this] { OnOK(); });
    connect(m_pCancel, &QAbstractButton::clicked, this, [this] { OnCancel(); });
    connect(m_pClose, &QAbstractButton::clicked, this, [this] { OnCancel(); });
}

bool CDlgBaseSetup::OnInitDialog() {
    SetLayeredWindowAttributes(kGlazeColorKey, 0, LWA_COLORKEY);
    if (!SetImage("Resource/家长界面/保护设置/基本设置背景.bmp")) {
        return false;
    }
    SetTextColor(ToQColor(RGB(0x14, 0x3A, 0x71)));
    m_pClose->SetImage("Resource/家长界面/保护设置/关闭按钮00.bmp", 0);
    m_pClose->SetImage("Resource/家长界面/保护设置/关闭按钮02.bmp", 1);
    m_pClose->SetImage("Resource/家长界面/保护设置/关闭按钮02.bmp", 2);
    m_pClose->SetImage("Resource/家长界面/保护设置/关闭按钮00.bmp", 3);
    m_pClose->setGeometry(Box(350, 0, 387, 22));
    console::PushButtonLook(*m_pSet, Box(157, 363, 239, 387));
    console::PushButtonLook(*m_pCancel, Box(257, 363, 339, 387));
    for (int i = 0; i < kOptions; ++i) {
        CheckLook(*m_options[static_cast<std::size_t>(i)], kOptionRects[i]);
    }
    m_config = Control().GetConfig();
    ShowCopy();
    return true;
}

int CDlgBaseSetup::DoModal() {
    if (!OnInitDialog()) {
        return console::IDCANCEL;
    }
    return exec() == QDialog::Accepted ? console::IDOK : console::IDCANCEL;
}

void CDlgBaseSetup::ShowCopy() {
    const bool autoStart = m_config.IsAutoStart != 0;
    Option(AutoStart)->CheckButton(autoStart);
    Option(StartChild)->CheckButton(m_config.StartStyle == STYLE_CHILD);
    Option(StartParent)->CheckButton(m_config.StartStyle == STYLE_PARENT);
    // The start mode means nothing while the suite does not start by itself.
    Option(StartParent)->SetDisable(autoStart ? 0 : 1);
    Option(StartChild)->SetDisable(autoStart ? 0 : 1);
    Option(UpdateAuto)->CheckButton(m_config.UpdateStyle == 0);
    Option(UpdateAnnounce)->CheckButton(m_config.UpdateStyle == 1);
    Option(UpdateIgnore)->CheckButton(m_config.UpdateStyle == 2);
    update();
}

void CDlgBaseSetup::OnOption(enOption option) {
    switch (option) {
    case AutoStart:
        m_config.IsAutoStart = m_config.IsAutoStart != 0 ? 0 : 1;
        break;
    case StartParent:
        m_config.StartStyle = STYLE_PARENT;
        break;
    case StartChild:
        m_config.StartStyle = STYLE_CHILD;
        break;
    case UpdateAuto:
    case UpdateAnnounce:
    case UpdateIgnore:
        m_config.UpdateStyle = option - UpdateAuto;
        break;
    case kOptions:
        return;
    }
    ShowCopy();
}

void CDlgBaseSetup::OnOK() {
    tagConfig& stored = Control().GetConfig();
    stored.IsAutoStart = m_config.IsAutoStart;
    stored.StartStyle = m_config.StartStyle;
    stored.UpdateStyle = m_config.UpdateStyle;
    console::SaveSettings(Control());
    done(QDialog::Accepted);
}

void CDlgBaseSetup::OnCancel() {
    done(QDialog::Rejected);
}
