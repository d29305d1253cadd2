#include "console/CDlgSetupGuideStep3.h"

#include "console/DialogLook.h"
#include "console/GuideCheckList.h"
#include "console/ProtectActions.h"
#include "skin/CGlazeButton.h"

namespace {

// The security page's tiles: the first image for normal and disabled, the
// second for pressed and hover.
struct tagTile {
    const char* first;
    const char* second;
    void (*action)(QWidget*);
};
const tagTile kTiles[4] = {
    {"Resource/家长界面/保护设置/密码设置01.bmp", "Resource/家长界面/保护设置/密码设置02.bmp",
     &console::ChangeParentPassword},
    {"Resource/家长界面/保护设置/基本设置00.bmp", "Resource/家长界面/保护设置/基本设置02.bmp",
     &console::OpenBaseSetup},
    {"Resource/家长界面/保护设置/使用记录00.bmp", "Resource/家长界面/保护设置/使用记录02.bmp",
     &console::OpenUsageLog},
    {"Resource/家长界面/保护设置/时间控制00.bmp", "Resource/家长界面/保护设置/时间控制02.bmp",
     &console::OpenTimeControl},
};

} // namespace

CDlgSetupGuideStep3::CDlgSetupGuideStep3(QWidget* parent) : CDlgPageBase(parent) {
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        m_buttons[i] = new CGlazeButton(this);
        const auto action = kTiles[i].action;
        // The dialogs open over the guide, which stays modal below them.
        connect(m_buttons[i], &QAbstractButton::clicked, this, [this, action] { action(window()); });
    }
}

bool CDlgSetupGuideStep3::OnInitDialog() {
    CDlgPageBase::OnInitDialog();
    const bool loaded = SetImage("Resource/家长界面/向导界面/步骤3.bmp");
    SetDragRect(QRect());
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        CGlazeButton& button = *m_buttons[i];
        button.SetImage(kTiles[i].first, CGlazeButton::STATE_NORMAL);
        button.SetImage(kTiles[i].second, CGlazeButton::STATE_PRESSED);
        button.SetImage(kTiles[i].second, CGlazeButton::STATE_HOVER);
        button.SetImage(kTiles[i].first, CGlazeButton::STATE_DISABLED);
        const int offset = 100 * static_cast<int>(i);
        button.setGeometry(console::Box(13 + offset, 109, 108 + offset, 170));
    }
    return loaded;
}

void CDlgSetupGuideStep3::OnCancel() {
    console::CancelGuideOf(this);
}
