#include "console/ProtectActions.h"

#include "console/CDlgBaseSetup.h"
#include "console/CDlgLogout.h"
#include "console/CDlgMessage.h"
#include "console/CDlgPwdSetup.h"
#include "console/CDlgSchedule.h"
#include "console/CDlgTimeControl.h"
#include "console/ConsoleMessageBox.h"
#include "core/CDBManager.h"
#include "core/CWarrowCoreInterface.h"

namespace console {

void ChangeParentPassword(QWidget* parent) {
    CDlgPwdSetup dialog(parent);
    dialog.m_bFirstSet = false;
    if (dialog.DoModal() != IDOK) {
        return;
    }
    CWarrowDBConfig* config = CWarrowCoreInterface::Get()->GetDBConfig();
    if (config == nullptr) {
        ShowNotice("设置密码失败，请已管理员权限再试");
        return;
    }
    tagSystemInfo& info = config->GetInfo();
    const std::string previous = info.UserPwd;
    info.UserPwd = dialog.NewPassword();
    if (config->Save()) {
        ShowNotice("请牢记设置密码");
        return;
    }
    // Not stored: the password that still unlocks the shell stays the one
    // the console checks against.
    info.UserPwd = previous;
    ShowNotice("设置密码失败，请已管理员权限再试");
}

void OpenBaseSetup(QWidget* parent) {
    CDlgBaseSetup dialog(parent);
    dialog.DoModal();
}

void OpenUsageLog(QWidget* parent) {
    CDlgLogout dialog(parent);
    dialog.DoModal();
}

void OpenTimeControl(QWidget* parent) {
    CDlgTimeControl dialog(parent);
    dialog.DoModal();
}

void OpenSchedule(QWidget* parent) {
    CDlgSchedule dialog(CDBManager::Instance().GetDataBase(kDataBasePath, kDataBasePassword), parent);
    if (!dialog.OnInitDialog()) {
        MessageBox(parent, QStringLiteral("作息时间读取失败，请稍后再试"));
        return;
    }
    dialog.exec();
}

} // namespace console
