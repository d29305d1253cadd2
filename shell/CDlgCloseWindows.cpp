#include "shell/CDlgCloseWindows.h"

#include "core/CWarrowCoreInterface.h"
#include "platform/x11/DeskGuard.h"
#include "shell/CDlgMessage.h"
#include "shell/CDlgPwdSetup.h"
#include "shell/PlayTime.h"
#include "skin/CGlazeButton.h"

namespace {

void Look(CGlazeButton& button, const char* normal, const char* pressed, int left, int top, int right,
          int bottom) {
    button.SetImage(normal, 0);
    button.SetImage(pressed, 1);
    button.SetImage(pressed, 2);
    button.SetImage(normal, 3);
    button.setGeometry(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)));
}

} // namespace

CDlgCloseWindows::CDlgCloseWindows(QWidget* parent)
    : CGlazeDialog(parent), m_pExit(new CGlazeButton(this)), m_pRestart(new CGlazeButton(this)),
      m_pShutdown(new CGlazeButton(this)), m_pClose(new CGlazeButton(this)) {
    connect(m_pExit, &QAbstractButton::clicked, this, &CDlgCloseWindows::OnExit);
    connect(m_pRestart, &QAbstractButton::clicked, this, &CDlgCloseWindows::OnRestart);
    connect(m_pShutdown, &QAbstractButton::clicked, this, &CDlgCloseWindows::OnShutdown);
    connect(m_pClose, &QAbstractButton::clicked, this, [this] { OnCancel(); });
}

bool CDlgCloseWindows::OnInitDialog() {
    if (!SetImage("Resource/儿童界面/关闭界面/关闭背景.bmp")) {
        return false;
    }
    Look(*m_pExit, "Resource/儿童界面/关闭界面/退出按钮00.bmp", "Resource/儿童界面/关闭界面/退出按钮01.bmp",
         49, 40, 121, 102);
    Look(*m_pRestart, "Resource/儿童界面/关闭界面/重启按钮00.bmp",
         "Resource/儿童界面/关闭界面/重启按钮01.bmp", 133, 40, 205, 102);
    Look(*m_pShutdown, "Resource/儿童界面/关闭界面/关机按钮00.bmp",
         "Resource/儿童界面/关闭界面/关机按钮01.bmp", 217, 40, 289, 102);
    Look(*m_pClose, "Resource/儿童界面/关闭界面/关闭按钮00.bmp", "Resource/儿童界面/关闭界面/关闭按钮01.bmp",
         304, 0, 340, 22);
    return true;
}

void CDlgCloseWindows::OnExit() {
    CDlgPwdSetup prompt(this);
    if (prompt.DoModal() != QDialog::Accepted) {
        return;
    }
    CWarrowDBConfig* system = CWarrowCoreInterface::Get()->GetDBConfig();
    const tagSystemInfo none;
    if (CheckExitPassword(system != nullptr ? system->GetInfo() : none, prompt.Password())) {
        QDialog::accept();
    } else {
        ShowMessage(QStringLiteral("密码错了哦"));
    }
}

void CDlgCloseWindows::OnRestart() {
    DG_SystemShutdown(1);
    OnCancel();
}

void CDlgCloseWindows::OnShutdown() {
    DG_SystemShutdown(0);
    OnCancel();
}
