#include "console/CDlgPageAuto.h"

#include "console/CDlgRequest.h"
#include "console/CWarrowTrayApp.h"
#include "console/CWarrowTrayDlg.h"
#include "console/ConsoleSite.h"
#include "console/DialogLook.h"
#include "console/ProtectActions.h"
#include "console/SetupGuide.h"
#include "skin/CGlazeButton.h"
#include "skin/CGlazeStatic.h"
#include "skin/CGlazeTextButton.h"

#include <QDesktopServices>
#include <QUrl>

using console::Box;

namespace {

// Images "<name>00.bmp" … "<name>03.bmp" for the four states.
void FourStates(CGlazeButton& button, const char* name, const QRect& where) {
    for (int state = 0; state < 4; ++state) {
        const QByteArray path = QStringLiteral("Resource/家长界面/%1%2.bmp")
                                    .arg(QString::fromUtf8(name))
                                    .arg(state, 2, 10, QLatin1Char('0'))
                                    .toUtf8();
        button.SetImage(path.constData(), state);
    }
    button.setGeometry(where);
}

} // namespace

CDlgPageAuto::CDlgPageAuto(QWidget* parent)
    : CDlgPageBase(parent), m_pDescription(new CGlazeStatic(this)), m_pGuide(new CGlazeButton(this)),
      m_pSite(new CGlazeButton(this)), m_pBaseSetup(new CGlazeButton(this)),
      m_pUsageLog(new CGlazeButton(this)), m_pEnter(new CGlazeButton(this)),
      m_pRequest(new CGlazeTextButton(this)) {
    connect(m_pGuide, &QAbstractButton::clicked, this, [this] { console::OpenSetupGuide(window()); });
    connect(m_pSite, &QAbstractButton::clicked, this,
            [] { QDesktopServices::openUrl(QUrl(console::MakerSite())); });
    connect(m_pBaseSetup, &QAbstractButton::clicked, this, [this] { console::OpenBaseSetup(window()); });
    connect(m_pUsageLog, &QAbstractButton::clicked, this, [this] { console::OpenUsageLog(window()); });
    connect(m_pEnter, &QAbstractButton::clicked, this, [this] { OnEnterSystem(); });
    connect(m_pRequest, &QAbstractButton::clicked, this, [this] { OnRequest(); });
}

bool CDlgPageAuto::OnInitDialog() {
    CDlgPageBase::OnInitDialog();
    if (!SetImage("Resource/家长界面/内容框01.bmp")) {
        return false;
    }
    SetDragRect(QRect());
    // Dialog units of the template, in pixels of the dialog font.
    m_pDescription->setGeometry(48, 33, 309, 88);
    m_pDescription->SetFormat(DT_LEFT | DT_WORDBREAK);
    m_pDescription->SetFontColor(ToQColor(RGB(0x14, 0x4F, 0x7F)));
    m_pDescription->SetWindowTextA(
        "<瓦罗>将帮助您智能设置儿童系统下的各级应用程序、文件夹、和可浏览安全网页，"
        "帮助家长管理儿童模式。从而让孩子使用电脑更加安全，健康，适时。");
    FourStates(*m_pGuide, "向导按钮", Box(168, 209, 277, 246));
    FourStates(*m_pSite, "官方网站按钮", Box(435, 10, 647, 65));
    FourStates(*m_pBaseSetup, "基本设置按钮", Box(435, 72, 647, 127));
    FourStates(*m_pUsageLog, "使用记录按钮", Box(435, 134, 647, 189));
    FourStates(*m_pEnter, "进入系统按钮", Box(435, 196, 647, 251));
    m_pRequest->setText(QStringLiteral("你提我改"));
    m_pRequest->SetTextAlign(DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    m_pRequest->SetTextColor(ToQColor(RGB(0x01, 0x37, 0xAE)), 0);
    m_pRequest->SetTextColor(ToQColor(RGB(0x39, 0x73, 0xF2)), 1);
    m_pRequest->SetTextColor(ToQColor(RGB(0x39, 0x73, 0xF2)), 2);
    m_pRequest->SetTextColor(ToQColor(RGB(0x80, 0x80, 0x80)), 3);
    m_pRequest->setGeometry(190, 250, 60, 20);
    return true;
}

void CDlgPageAuto::OnEnterSystem() {
    if (CWarrowTrayApp* app = CWarrowTrayApp::Instance(); app != nullptr && app->MainWindow() != nullptr) {
        app->MainWindow()->SwitchToChildMode();
    }
}

void CDlgPageAuto::OnRequest() {
    CDlgRequest request(window());
    request.DoModal();
}
