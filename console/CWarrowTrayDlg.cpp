#include "console/CWarrowTrayDlg.h"

#include "console/CDlgChangeAccount.h"
#include "console/CDlgLogo.h"
#include "console/CDlgMessage.h"
#include "console/CDlgPageAppliction.h"
#include "console/CDlgPageExplorer.h"
#include "console/CWarrowTrayApp.h"
#include "console/ConsoleMessageBox.h"
#include "console/ConsolePages.h"
#include "console/ConsoleSite.h"
#include "console/DialogLook.h"
#include "console/UpdaterCommand.h"
#include "core/CWarrowCoreInterface.h"
#include "skin/CGlazeCheckButton.h"
#include "skin/CGlazeStatic.h"
#include "skin/CGlazeTextButton.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QMenu>
#include <QMessageBox>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTcpSocket>
#include <QUrl>

#include <cstdio>

using console::Box;
using namespace user_login_message;

namespace {

int s_nPollIntervalMs = CWarrowTrayDlg::kPollIntervalMs;
int s_nTrayOverride = -1;

// The four state images of each page button, in button order.
const std::array<const char*, 4> kPageImages[5] = {
    {"Resource/家长界面/智能设置01.bmp", "Resource/家长界面/智能设置02.bmp",
     "Resource/家长界面/智能设置03.bmp", "Resource/家长界面/智能设置04.bmp"},
    {"Resource/家长界面/应用程序01.bmp", "Resource/家长界面/应用程序02.bmp",
     "Resource/家长界面/应用程序03.bmp", "Resource/家长界面/应用程序04.bmp"},
    {"Resource/家长界面/儿童浏览器01.bmp", "Resource/家长界面/儿童浏览器02.bmp",
     "Resource/家长界面/儿童浏览器03.bmp", "Resource/家长界面/儿童浏览器04.bmp"},
    {"Resource/家长界面/儿童文件夹01.bmp", "Resource/家长界面/儿童文件夹02.bmp",
     "Resource/家长界面/儿童文件夹03.bmp", "Resource/家长界面/儿童文件夹04.bmp"},
    {"Resource/家长界面/安全保护01.bmp", "Resource/家长界面/安全保护02.bmp",
     "Resource/家长界面/安全保护03.bmp", "Resource/家长界面/安全保护04.bmp"}};
// Page index of each page button, in button order.
constexpr int kPageOfButton[5] = {0, 1, 3, 2, 4};
const QRect kPageButtonRects[5] = {Box(7, 47, 89, 126), Box(102, 47, 184, 126), Box(195, 47, 277, 126),
                                   Box(289, 47, 371, 126), Box(384, 47, 466, 126)};

void FourImages(CGlazeButton& button, const std::array<const char*, 4>& images, const QRect& where) {
    for (int state = 0; state < 4; ++state) {
        button.SetImage(images[static_cast<std::size_t>(state)], state);
    }
    button.setGeometry(where);
}

void TextLink(CGlazeTextButton& link, const QFont& font, const char* text, const QRect& where) {
    link.setFont(font);
    link.setText(QString::fromUtf8(text));
    link.SetTextAlign(DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    link.SetTextColor(ToQColor(RGB(0x01, 0x37, 0xAE)), 0);
    link.SetTextColor(ToQColor(RGB(0x39, 0x73, 0xF2)), 1);
    link.SetTextColor(ToQColor(RGB(0x39, 0x73, 0xF2)), 2);
    link.SetTextColor(ToQColor(RGB(0x80, 0x80, 0x80)), 3);
    link.setGeometry(where);
}

CWarrowDBConfig* DBConfig() {
    return CWarrowCoreInterface::Get()->GetDBConfig();
}

tagConfig& Config() {
    return CWarrowCoreInterface::Get()->GetWRControl()->GetConfig();
}

QString VersionText(std::uint64_t version) {
    return QStringLiteral("%1.%2.%3.%4")
        .arg(version >> 48 & 0xFFFF)
        .arg(version >> 32 & 0xFFFF)
        .arg(version >> 16 & 0xFFFF)
        .arg(version & 0xFFFF);
}

} // namespace

void CWarrowTrayDlg::SetPollIntervalMs(int ms) {
    s_nPollIntervalMs = ms;
}

void CWarrowTrayDlg::SetTrayAvailableOverride(int available) {
    s_nTrayOverride = available;
}

CWarrowTrayDlg::CWarrowTrayDlg() {
    setWindowTitle(QStringLiteral("Tavi儿童保护系统"));
    connect(&m_pollTimer, &QTimer::timeout, this, [this] { PollInternet(); });
    CreateControls();
}

CWarrowTrayDlg::~CWarrowTrayDlg() {
    DestroyWindow();
}

void CWarrowTrayDlg::CreateControls() {
    for (int i = 0; i < 5; ++i) {
        auto* button = new CGlazeCheckButton(this);
        m_pageButtons[static_cast<std::size_t>(i)] = button;
        connect(button, &QAbstractButton::clicked, this, [this, i] {
            SelectPage(kPageOfButton[i]);
            switch (kPageOfButton[i]) {
            case 1:
                ShowNotice("您只需将应用程序、桌面图标等拖入设置界面中，就能让您的孩子在儿童保护模式下安全地"
                           "使用计算机。");
                break;
            case 3:
                ShowNotice("您可以自定义访问的网页内容，让您的孩子更安全地上网。");
                break;
            case 4:
                ShowNotice("您可以在此设置家长密码、开机进入模式、自动更新、使用时间控制等");
                break;
            default:
                break;
            }
        });
    }
    m_pMinimise = new CGlazeButton(this);
    m_pClose = new CGlazeButton(this);
    m_pAccount = new CGlazeStatic(this);
    m_pVersion = new CGlazeStatic(this);
    m_pRegister = new CGlazeTextButton(this); // "[注册]" has no action
    m_pChange = new CGlazeTextButton(this);
    m_pUpgrade = new CGlazeTextButton(this);
    m_pSwitch = new CGlazeTextButton(this);
    m_pHelp = new CGlazeTextButton(this);
    m_pExit = new CGlazeTextButton(this);
    connect(m_pMinimise, &QAbstractButton::clicked, this, [this] { showMinimized(); });
    connect(m_pClose, &QAbstractButton::clicked, this, [this] { OnCloseButton(); });
    connect(m_pChange, &QAbstractButton::clicked, this, [this] { OnChangeAccount(); });
    connect(m_pUpgrade, &QAbstractButton::clicked, this, [this] { OnUpgrade(); });
    connect(m_pSwitch, &QAbstractButton::clicked, this, [this] { SwitchToChildMode(); });
    connect(m_pHelp, &QAbstractButton::clicked, this, [this] { OnHelp(); });
    connect(m_pExit, &QAbstractButton::clicked, this, [] { CWarrowTrayApp::Quit(); });

    m_pTrayMenu = std::make_unique<QMenu>();
    connect(m_pTrayMenu->addAction(QStringLiteral("显示主界面")), &QAction::triggered, this,
            [this] { ShowFromMenu(); });
    connect(m_pTrayMenu->addAction(QStringLiteral("切换儿童模式")), &QAction::triggered, this,
            [this] { SwitchToChildMode(); });
    connect(m_pTrayMenu->addAction(QStringLiteral("退出")), &QAction::triggered, this,
            [] { CWarrowTrayApp::Quit(); });
}

bool CWarrowTrayDlg::OnInitDialog() {
    const QPixmap logo(QStringLiteral("Resource/家长界面/明途瓦罗.bmp"));
    if (!logo.isNull()) {
        QPixmap icon = logo;
        icon.setMask(logo.createMaskFromColor(kGlazeColorKey));
        setWindowIcon(QIcon(icon));
    }
    m_pLogo = std::make_unique<CDlgLogo>(this);
    m_pLogo->OnInitDialog();
    m_pNotice = std::make_unique<CDlgMessage>(this);
    m_pNotice->OnInitDialog();
    m_pNotice->hide();
    m_pages = console::CreatePages(this);

    m_pTray = new QSystemTrayIcon(windowIcon(), this);
    m_pTray->setToolTip(QStringLiteral("Tavi儿童保护系统"));
    m_pTray->setContextMenu(m_pTrayMenu.get());
    connect(m_pTray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::DoubleClick) {
            RestoreFromTray();
        }
    });

    SetLayeredWindowAttributes(kGlazeColorKey, 0, LWA_COLORKEY);
    if (!SetImage("Resource/家长界面/界面背景.bmp")) {
        return false;
    }
    m_font = QFont(QStringLiteral("黑体"));
    m_font.setPixelSize(12);
    SetDragRect(Box(0, 0, 672, 39));
    SetTextColor(ToQColor(RGB(0x16, 0x3A, 0x71)));
    PlaceButtons();
    SelectPage(0);
    PlaceFloatingWindows();
    FillLabels();
    m_pollTimer.setInterval(s_nPollIntervalMs);
    m_pollTimer.start();
    return true;
}

void CWarrowTrayDlg::PlaceButtons() {
    for (std::size_t i = 0; i < 5; ++i) {
        FourImages(*m_pageButtons[i], kPageImages[i], kPageButtonRects[i]);
    }
    m_pageButtons[3]->SetDisable(1); // the folder page is not offered
    FourImages(*m_pMinimise,
               {"Resource/家长界面/缩小01.bmp", "Resource/家长界面/缩小02.bmp",
                "Resource/家长界面/缩小03.bmp", "Resource/家长界面/缩小04.bmp"},
               Box(627, 11, 644, 29));
    FourImages(*m_pClose,
               {"Resource/家长界面/叉01.bmp", "Resource/家长界面/叉02.bmp", "Resource/家长界面/叉03.bmp",
                "Resource/家长界面/叉04.bmp"},
               Box(648, 11, 665, 29));
    TextLink(*m_pHelp, m_font, "帮助", QRect(627, 50, 40, 20));
    TextLink(*m_pExit, m_font, "退出", QRect(627, 70, 40, 20));
    TextLink(*m_pRegister, m_font, "[注册]", QRect(94, 490, 40, 14));
    TextLink(*m_pChange, m_font, "[更换]", QRect(94, 490, 40, 14));
    TextLink(*m_pUpgrade, m_font, "[升级]", QRect(134, 490, 40, 14));
    TextLink(*m_pSwitch, m_font, "[切换到儿童保护模式]", QRect(174, 490, 200, 14));
    m_pUpgrade->SetDisable(1);
    for (CGlazeStatic* label : {m_pAccount, m_pVersion}) {
        label->setFont(m_font);
        label->SetFontColor(ToQColor(RGB(0x4B, 0x4B, 0x4B)));
        label->SetFormat(DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    }
    m_pAccount->setGeometry(10, 490, 100, 16);
    m_pVersion->setGeometry(500, 490, 200, 16);
}

void CWarrowTrayDlg::FillLabels() {
    const int id = DBConfig() != nullptr ? DBConfig()->GetInfo().ID : -1;
    m_pAccount->SetWindowTextA(QString::asprintf("账号:%7d", id));
    m_pVersion->SetWindowTextA(VersionText(Config().Version));
    m_pChange->setVisible(id != -1);
    m_pRegister->setVisible(id == -1);
}

void CWarrowTrayDlg::PlaceFloatingWindows() {
    const QPoint origin = geometry().topLeft();
    if (m_pLogo) {
        m_pLogo->setGeometry(origin.x() - CDlgLogo::kWidth, origin.y() + 392, CDlgLogo::kWidth,
                             CDlgLogo::kHeight);
    }
    if (m_pNotice) {
        m_pNotice->move(origin.x() - m_pNotice->width(), origin.y() + 285);
    }
}

void CWarrowTrayDlg::moveEvent(QMoveEvent* event) {
    CGlazeDialog::moveEvent(event);
    PlaceFloatingWindows();
}

void CWarrowTrayDlg::SelectPage(int index) {
    if (index == m_nSelected || index < 0 || index >= console::kPageCount) {
        return;
    }
    for (std::size_t i = 0; i < 5; ++i) {
        if (kPageOfButton[i] == m_nSelected) {
            m_pageButtons[i]->CheckButton(false);
        }
    }
    m_nSelected = index;
    for (std::size_t i = 0; i < 5; ++i) {
        if (kPageOfButton[i] == index) {
            m_pageButtons[i]->CheckButton(true);
        }
    }
    for (CDlgPageBase* page : m_pages) {
        page->hide();
    }
    if (index == console::kApplicationPage) {
        ApplicationPage()->Refresh();
    } else if (index == console::kExplorerPage) {
        ExplorerPage()->Reload();
    }
    m_pages[static_cast<std::size_t>(index)]->show();
    if (m_pLogo && isVisible()) {
        m_pLogo->show();
    }
    m_pAccount->show();
    m_pSwitch->show();
}

void CWarrowTrayDlg::PollInternet() {
    const tagConfig& config = Config();
    if (config.Ip.empty()) {
        return;
    }
    // A probe still waiting from the last tick gives way to a fresh one; the
    // window never waits for the network.
    delete m_pProbe;
    m_pProbe = new QTcpSocket(this);
    connect(m_pProbe, &QTcpSocket::connected, this, [this] {
        m_pProbe->abort();
        m_pProbe->deleteLater();
        m_pProbe = nullptr;
        m_pollTimer.stop();
        if (CWarrowTrayApp* app = CWarrowTrayApp::Instance(); app != nullptr && app->ConnectServer()) {
            app->SendLoginRequest();
        }
    });
    m_pProbe->connectToHost(QString::fromStdString(config.Ip), static_cast<quint16>(config.Port & 0xFFFF));
}

void CWarrowTrayDlg::OnLoginAnswer(const tagLoginAnswer& answer) {
    switch (answer.nResult) {
    case LOGIN_ACCEPTED:
        ShowNotice("您的版本已经是最新，感谢对Tavi儿童保护系统的一贯支持");
        if (m_bChangingAccount) {
            SaveAccountChange();
        }
        break;
    case LOGIN_REFUSED:
        if (m_bChangingAccount) {
            ShowNotice("您的账号密码不正确，更改账号失败");
            // The refused account must not reach the database with a later save.
            DBConfig()->GetInfo().ID = m_nPreviousId;
            DBConfig()->GetInfo().Password = m_strPreviousPassword;
            m_bChangingAccount = false;
        } else {
            ShowNotice("您的账号已经重复登录，无法验证更新");
        }
        break;
    case LOGIN_NEW_VERSION:
        // The server accepted the account either way; keep the change.
        if (m_bChangingAccount) {
            SaveAccountChange();
        }
        if (Config().UpdateStyle == 2) {
            break;
        }
        if (Config().UpdateStyle != 0) {
            ShowNotice("发现新版本，如需更新请点升级按钮！");
            m_pUpgrade->SetDisable(0);
            m_pUpgrade->update();
        } else {
            ShowNotice("发现新版本，自动更新！");
            StartUpdaterWithNotice(true);
        }
        break;
    default:
        break;
    }
}

void CWarrowTrayDlg::SaveAccountChange() {
    m_bChangingAccount = false;
    CWarrowDBConfig* config = DBConfig();
    if (config != nullptr && !config->Save()) {
        // Not stored: the account in force stays, in memory as on disk.
        config->GetInfo().ID = m_nPreviousId;
        config->GetInfo().Password = m_strPreviousPassword;
        console::MessageBox(this, QStringLiteral("未知错误，请登录") + console::MakerSite() +
                                      QStringLiteral("咨询"));
    }
    FillLabels();
}

void CWarrowTrayDlg::StartUpdaterWithNotice(bool automatic) {
    std::string error;
    if (!console::StartUpdater(Config().Version, &error)) {
        std::fprintf(stderr, "WarrowTray: %s: %s\n", console::kUpdaterName, error.c_str());
        ShowNotice(QStringLiteral("更新失败，请去官网") + console::MakerSite() +
                   QStringLiteral("查询最新信息"));
        return;
    }
    if (automatic) {
        QTimer::singleShot(kUpdateNoticeDelayMs, this, [] { ShowNotice("更新中，请稍后..."); });
    }
}

void CWarrowTrayDlg::OnUpgrade() {
    m_pUpgrade->SetDisable(1);
    m_pUpgrade->update();
    StartUpdaterWithNotice(false);
}

void CWarrowTrayDlg::OnChangeAccount() {
    CDlgChangeAccount dialog(this);
    if (dialog.DoModal() != console::IDOK) {
        return;
    }
    CWarrowDBConfig* config = DBConfig();
    if (config == nullptr) {
        console::MessageBox(this, QStringLiteral("未知错误，请登录") + console::MakerSite() +
                                      QStringLiteral("咨询"));
        return;
    }
    if (!m_bChangingAccount) {
        m_nPreviousId = config->GetInfo().ID;
        m_strPreviousPassword = config->GetInfo().Password;
    }
    if (!console::SetAccountInMemory(dialog.AccountText(), dialog.PasswordText())) {
        console::MessageBox(this, QStringLiteral("未知错误，请登录") + console::MakerSite() +
                                      QStringLiteral("咨询"));
        return;
    }
    CWarrowTrayApp* app = CWarrowTrayApp::Instance();
    if (app != nullptr && app->ConnectServer() && app->SendLoginRequest()) {
        m_bChangingAccount = true;
        return;
    }
    // Nothing went out (the notice said why): the account in force stays.
    config->GetInfo().ID = m_nPreviousId;
    config->GetInfo().Password = m_strPreviousPassword;
    m_bChangingAccount = false;
}

void CWarrowTrayDlg::SwitchToChildMode() {
    CWarrowCoreInterface::Get()->GetWRControl()->ChangeStyle(STYLE_CHILD);
    close(); // hides to the tray
}

bool CWarrowTrayDlg::TrayAvailable() const {
    return s_nTrayOverride >= 0 ? s_nTrayOverride != 0 : QSystemTrayIcon::isSystemTrayAvailable();
}

void CWarrowTrayDlg::closeEvent(QCloseEvent* event) {
    event->ignore(); // the window lives until the console ends
    HideToTray();
}

CDlgPageAppliction* CWarrowTrayDlg::ApplicationPage() const {
    return static_cast<CDlgPageAppliction*>(m_pages[console::kApplicationPage]);
}

CDlgPageExplorer* CWarrowTrayDlg::ExplorerPage() const {
    return static_cast<CDlgPageExplorer*>(m_pages[console::kExplorerPage]);
}

void CWarrowTrayDlg::OnCloseButton() {
    CDlgPageExplorer* explorer = ExplorerPage();
    if (explorer && explorer->IsDirty() &&
        console::MessageBox(this, QStringLiteral("您有未保存的改动，现在是否需要保存？"),
                            console::MB_YESNO) == console::IDYES) {
        explorer->Save();
    }
    HideToTray();
}

void CWarrowTrayDlg::HideToTray() {
    if (m_pNotice) {
        m_pNotice->hide();
    }
    if (!TrayAvailable()) {
        // Without a tray there would be no way back to a hidden window.
        showMinimized();
        return;
    }
    if (m_pTray) {
        m_pTray->show();
        m_pTray->showMessage(QStringLiteral("Tavi儿童保护系统"), QStringLiteral("已经最小到系统托盘"),
                             windowIcon(), 3000);
    }
    hide();
    if (m_pLogo) {
        m_pLogo->hide();
    }
}

void CWarrowTrayDlg::ShowFromMenu() {
    showNormal();
    raise();
    activateWindow();
    if (m_pLogo) {
        m_pLogo->show();
    }
    if (m_pNotice) {
        m_pNotice->hide();
    }
}

void CWarrowTrayDlg::RestoreFromTray() {
    ShowFromMenu();
    if (m_pTray) {
        m_pTray->hide();
    }
}

void CWarrowTrayDlg::OnHelp() {
    QDesktopServices::openUrl(QUrl(console::HelpPage()));
}

void CWarrowTrayDlg::OnAbout() {
    QMessageBox::about(this, QStringLiteral("关于 WarrowTray"),
                       QStringLiteral("Tavi儿童保护系统\nWarrowTray %1").arg(VersionText(Config().Version)));
}

void CWarrowTrayDlg::contextMenuEvent(QContextMenuEvent* event) {
    // The window has no system menu; its title band offers the About box instead.
    if (!GetDragRect().contains(event->pos())) {
        return;
    }
    QMenu menu;
    QAction* about = menu.addAction(QStringLiteral("关于 WarrowTray(&A)..."));
    if (menu.exec(event->globalPos()) == about) {
        OnAbout();
    }
}

void CWarrowTrayDlg::DestroyWindow() {
    m_pollTimer.stop();
    if (m_pTray) {
        m_pTray->hide();
    }
    m_pNotice.reset();
    m_pLogo.reset();
    hide();
}
