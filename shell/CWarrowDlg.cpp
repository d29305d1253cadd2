#include "shell/CWarrowDlg.h"

#include "core/CWarrowCoreInterface.h"
#include "platform/Paths.h"
#include "platform/x11/DeskGuard.h"
#include "platform/x11/DockWindow.h"
#include "platform/x11/WindowState.h"
#include "shell/AppIcon.h"
#include "shell/CDlgClose.h"
#include "shell/CDlgCloseWindows.h"
#include "shell/CDlgMessage.h"
#include "shell/CDlgPwdSetup.h"
#include "shell/CDlgRest.h"
#include "shell/CDlgSwitcher.h"
#include "shell/CShellHookFilter.h"
#include "shell/CTaskManager.h"
#include "shell/CXWindowSystem.h"
#include "shell/ShellLayout.h"
#include "shell/ShellTimeLimits.h"
#include "shell/ShellX.h"
#include "shell/TaskWindow.h"
#include "shell/TrustedPrograms.h"
#include "shell/WindowAdmission.h"

#include <QCoreApplication>
#include <QListWidget>
#include <QPainter>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

CWarrowDlg* s_pMain = nullptr;

bool IsWaylandSession() {
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* type = std::getenv("XDG_SESSION_TYPE");
    return (wayland != nullptr && *wayland != '\0') || (type != nullptr && std::string(type) == "wayland");
}

void RemoveShellHook() {
    DG_ShellHookUnistall();
}

} // namespace

CWarrowDlg::CWarrowDlg()
    : CGlazeDialog(nullptr, Qt::Window | Qt::FramelessWindowHint), m_pList(new QListWidget(this)) {
    s_pMain = this;
    m_guardTimer.setInterval(kGuardMs);
    m_tickTimer.setInterval(kTickMs);
    connect(&m_guardTimer, &QTimer::timeout, this, &CWarrowDlg::OnGuardTimer);
    connect(&m_tickTimer, &QTimer::timeout, this, &CWarrowDlg::OnTick);
}

CWarrowDlg::~CWarrowDlg() {
    if (m_pHookFilter) {
        QCoreApplication::instance()->removeNativeEventFilter(m_pHookFilter.get());
    }
    delete m_pClose;
    delete m_pRest;
    if (s_pMain == this) {
        s_pMain = nullptr;
    }
}

CWarrowDlg* CWarrowDlg::Main() {
    return s_pMain;
}

bool CWarrowDlg::OnInitDialog() {
    setWindowIcon(AppIcon(std::string(), "Warrow"));
    setWindowTitle(QStringLiteral("Warrow"));
    const QRect screen = ScreenRect();

    m_pMessage = new CDlgMessage(this);
    m_pMessage->OnInitDialog();
    m_pMessage->setGeometry(screen.right() + 1 - 177, screen.bottom() + 1 - 170, 177, 140);
    m_pMessage->hide();
    m_pClose = new CDlgClose();
    m_pRest = new CDlgRest();
    m_pRest->OnInitDialog();

    setGeometry(screen);
    winId();
    if (ShellX() != nullptr) {
        // Typed before it is mapped: window managers read the type then.
        deskguard::MakeDesktop(*ShellX(), static_cast<xcb_window_t>(winId()));
        deskguard::KeepBelow(*ShellX(), static_cast<xcb_window_t>(winId()));
    }
    show();

    BuildAppList();
    if (!SetImage("Resource/儿童界面/背景.bmp")) {
        m_guardFailure = "缺少桌面图片 Resource/儿童界面/背景.bmp";
        return false;
    }
    SetDragRect(QRect()); // the desktop does not move
    setGeometry(screen);  // the skin gave the window its own size
    m_pList->setGeometry(QRect(QPoint(0, 0), screen.size()));
    m_pList->show();

    m_pSwitcher = new CDlgSwitcher(this);
    m_pSwitcher->OnInitDialog();
    m_pSwitcher->setGeometry(screen.left(), screen.bottom() + 1 - kTaskbarHeight, screen.width(),
                             kTaskbarHeight);
    m_pSwitcher->winId();
    if (ShellX() != nullptr) {
        deskguard::MakeBottomDock(*ShellX(), static_cast<xcb_window_t>(m_pSwitcher->winId()), kTaskbarHeight,
                                  static_cast<uint32_t>(screen.left()),
                                  static_cast<uint32_t>(screen.right()));
    }
    m_pSwitcher->show();

    CTaskManager::Get()->SetOnDestroy(&RemoveShellHook);
    m_pWindows = std::make_unique<CXWindowSystem>();
    m_pWindows->SetOnGuardLost([this](const std::string& reason) {
        if (!m_bFailedClosed) {
            m_guardFailure = reason;
            FailClosed();
        }
    });
    m_pAdmission = std::make_unique<CWindowAdmission>(*m_pWindows, *m_pSwitcher,
                                                      *CWarrowCoreInterface::Get()->GetWLMng(),
                                                      *CTaskManager::Get(), ::getpid());
    m_pAdmission->SetTrustedPrograms(ReadTrustedPrograms());
    m_pHookFilter = std::make_unique<CShellHookFilter>(
        winId(), [this](const std::vector<tagWindowEvent>& events) { OnHookMessages(events); });
    QCoreApplication::instance()->installNativeEventFilter(m_pHookFilter.get());
    if (IsWaylandSession()) {
        // The guard sees X clients only; Wayland programs would pass unseen.
        m_guardFailure = "窗口守护无法在 Wayland 会话中运行";
        return false;
    }
    if (DG_ShellHookInstall(winId()) == 0) {
        m_guardFailure = "窗口守护未能启动（X 服务器缺少 X-Resource 扩展，无法得知窗口属于哪个程序）";
        return false;
    }

    m_pControl = CWarrowCoreInterface::Get()->GetWRControl();
    if (m_pControl == nullptr) {
        m_guardFailure = "读取设置失败";
        return false;
    }
    static const core::CSystemUsageClock systemClock;
    m_pTimeLimits =
        std::make_unique<CShellTimeLimits>(m_pUsageClock != nullptr ? *m_pUsageClock : systemClock);
    m_guardTimer.start();
    m_tickTimer.start();
    ShowView(StartView(m_pControl->GetConfig().TimeStyle));
    return true;
}

void CWarrowDlg::FailClosed() {
    m_tickTimer.stop();
    m_bLocked = true;
    m_bFailedClosed = true;
    m_pList->hide();
    m_pList->setEnabled(false);
    m_guardTimer.start();
    const std::string reason = m_guardFailure.empty() ? std::string("窗口守护未能启动") : m_guardFailure;
    std::fprintf(stderr, "Warrow: the desktop stays locked: %s\n", reason.c_str());
    CWarrowCoreInterface::Get()->LogOut("桌面已锁定：%s", reason.c_str());
    m_pClose->ShowMaximised();
    m_pRest->ShowReason(QString::fromStdString(reason));
    m_pRest->grabKeyboard();
    if (m_pSwitcher != nullptr) {
        m_pSwitcher->raise();
    } else {
        // No taskbar, so no start button: the notice itself leads there.
        m_pRest->SetOnExitRequest([this] { OpenExitDialog(); });
    }
}

void CWarrowDlg::BuildAppList() {
    m_pList->setViewMode(QListView::IconMode);
    m_pList->setIconSize(QSize(48, 48));
    m_pList->setGridSize(QSize(96, 84));
    m_pList->setFlow(QListView::TopToBottom);
    m_pList->setWrapping(true);
    m_pList->setResizeMode(QListView::Adjust);
    m_pList->setMovement(QListView::Static);
    m_pList->setFrameShape(QFrame::NoFrame);
    m_pList->setSpacing(8);
    m_pList->setStyleSheet(
        QStringLiteral("QListWidget { background: transparent; color: white; }"
                       "QListWidget::item:selected { background: rgba(0, 78, 152, 140); }"));
    // Every entry goes in front of the ones before it: the icons stand in
    // descending key order.
    CWarrowCoreInterface::Get()->GetWLMng()->ForEach([this](tagAppInfo& app) {
        if (!app.Icon.empty()) {
            return; // allowed to run, but not offered on the desktop
        }
        auto* item = new QListWidgetItem(AppIcon(platform::JoinPath(app.AppPath, app.AppName), app.Name),
                                         QString::fromStdString(app.Name));
        item->setData(Qt::UserRole, QVariant::fromValue(static_cast<void*>(&app)));
        m_pList->insertItem(0, item);
    });
    // A double-click starts a program; Return or a single click (where the
    // style activates on one) does not.
    connect(m_pList, &QListWidget::itemDoubleClicked, this, &CWarrowDlg::OnAppActivated);
}

void CWarrowDlg::OnAppActivated(QListWidgetItem* item) {
    if (item == nullptr) {
        return;
    }
    const auto* app = static_cast<const tagAppInfo*>(item->data(Qt::UserRole).value<void*>());
    if (app != nullptr && m_pTimeLimits && !m_pTimeLimits->MayStart(app->AppName, app->Name)) {
        return;
    }
    CTaskManager::Get()->StartApp(app);
}

bool CWarrowDlg::OnEraseBkgnd(QPainter* dc) {
    if (GetBackground() == nullptr) {
        return false;
    }
    GetBackground()->StretchBlt(dc, rect());
    return true;
}

void CWarrowDlg::OnGuardTimer() {
    DG_ShowSysBar(0);
    const QRect screen = ScreenRect();
    if (geometry() != screen) {
        setGeometry(screen);
        m_pList->setGeometry(QRect(QPoint(0, 0), screen.size()));
    }
    const QRect bar(screen.left(), screen.bottom() + 1 - kTaskbarHeight, screen.width(), kTaskbarHeight);
    if (m_pSwitcher != nullptr && m_pSwitcher->geometry() != bar) {
        m_pSwitcher->setGeometry(bar);
    }
    if (m_bLocked && !m_bExitDialogOpen) {
        // Nothing may come over the rest: the overlay and the notice go
        // back on top, and the notice keeps the keyboard.
        m_pClose->raise();
        m_pRest->raise();
        m_pRest->grabKeyboard();
    }
}

void CWarrowDlg::OnTick() {
    if (m_pControl == nullptr) {
        return;
    }
    tagConfig& config = m_pControl->GetConfig();
    const tagTimeDecision time =
        m_pTimeLimits ? m_pTimeLimits->Tick(config, m_pSwitcher, m_pWindows.get()) : tagTimeDecision{};
    if (time.CountPlay) {
        TickPlayTime(config);
    }
    // Outside the schedule its own rest screen; extra time keeps a due rest
    // away; otherwise the play and rest cycle names the view.
    enShellView wanted = StartView(config.TimeStyle);
    if (time.OutsideSchedule) {
        wanted = enShellView::Schedule;
    } else if (time.HoldRest) {
        wanted = enShellView::Play;
    }
    if (wanted != m_view && wanted != enShellView::None) {
        ShowView(wanted);
    }
    SaveTime();
}

void CWarrowDlg::SaveTime() {
    if (m_pTimeLimits) {
        m_pControl->SaveTime(m_pTimeLimits->CounterEntries());
    } else {
        m_pControl->SaveTime();
    }
}

void CWarrowDlg::ShowView(enShellView view) {
    if (view == enShellView::Play) {
        ShowPlayView();
    } else if (view == enShellView::Rest) {
        ShowRestView();
    } else if (view == enShellView::Schedule) {
        ShowScheduleView();
    }
    if (view != enShellView::None) {
        m_view = view;
    }
}

void CWarrowDlg::ShowPlayView() {
    if (m_bLocked) {
        m_pRest->releaseKeyboard();
        m_bLocked = false;
        CTaskManager::Get()->Freeze(false);
    }
    if (m_pSwitcher != nullptr) {
        m_pSwitcher->SetTasksLocked(false);
    }
    m_pClose->hide();
    m_pRest->hide();
    m_pRest->StopCountdown();
    m_pRest->SetRemaining(0);
    m_pRest->RefreshText();
    m_pList->show();
}

void CWarrowDlg::ShowRestView() {
    // The tracked programs stop where they are and go out of sight; their
    // buttons do nothing until the rest is over.
    m_bLocked = true;
    CTaskManager::Get()->Freeze(true);
    if (m_pSwitcher != nullptr) {
        m_pSwitcher->SetTasksLocked(true);
        for (const auto& [window, button] : m_pSwitcher->Buttons()) {
            MinimiseTaskWindow(window);
        }
    }
    m_pClose->ShowMaximised();
    m_pRest->SetTextAlign(DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    m_pRest->show();
    m_pRest->raise();
    m_pRest->SetRemaining(m_pControl != nullptr ? m_pControl->GetConfig().RestTime : 0);
    m_pRest->RefreshText();
    m_pRest->StartCountdown();
    m_pList->hide();
    m_pRest->grabKeyboard();
}

void CWarrowDlg::ShowScheduleView() {
    // Locked like a rest, with the schedule's own text and no countdown.
    ShowRestView();
    m_pRest->StopCountdown();
    m_pRest->ShowReason(QString::fromUtf8(kScheduleRestText));
}

void CWarrowDlg::SetStartMenuOpen(bool open) {
    m_bExitDialogOpen = open;
    if (open) {
        m_pRest->releaseKeyboard();
    }
}

bool CWarrowDlg::RequestExtraTime(int minutes) {
    if (!m_pTimeLimits || m_pControl == nullptr) {
        return false;
    }
    // The prompt takes the keyboard from a rest notice while it is open.
    m_bExitDialogOpen = true;
    m_pRest->releaseKeyboard();
    // A window of its own, not one over the desktop, which stays below the
    // rest's overlay.
    CDlgPwdSetup prompt;
    const bool answered = prompt.DoModal() == QDialog::Accepted;
    m_bExitDialogOpen = false;
    if (!answered) {
        return false;
    }
    CWarrowDBConfig* system = CWarrowCoreInterface::Get()->GetDBConfig();
    const tagSystemInfo none;
    if (!m_pTimeLimits->GrantExtraTime(system != nullptr ? system->GetInfo() : none, prompt.Password(),
                                       minutes)) {
        ShowMessage(QStringLiteral("密码错了哦"));
        return false;
    }
    ShowMessage(QStringLiteral("家长延长了%1分钟.").arg(minutes));
    SaveTime(); // a restart right now keeps the grant
    OnTick();   // a rest or closed hours give way at once
    return true;
}

void CWarrowDlg::OpenExitDialog() {
    m_pClose->ShowMaximised();
    CDlgCloseWindows exit;
    exit.OnInitDialog();
    exit.move(ScreenRect().center() - exit.rect().center());
    // The exit dialog takes the keyboard from the rest notice while it is open.
    m_bExitDialogOpen = true;
    m_pRest->releaseKeyboard();
    const int result = exit.exec();
    m_bExitDialogOpen = false;
    // A desktop without its guard stays dimmed; otherwise the overlay stays
    // only for a rest (not one that extra time holds off) or closed hours.
    const bool resting =
        m_pControl != nullptr && m_pControl->GetConfig().TimeStyle == 1 && m_view != enShellView::Play;
    if (!m_bFailedClosed && m_view != enShellView::Schedule && !resting) {
        m_pClose->hide();
    }
    if (result == QDialog::Accepted) {
        QCoreApplication::exit(0); // quit() would ask the windows, which stay up
    }
}

void CWarrowDlg::OnHookMessages(const std::vector<tagWindowEvent>& events) {
    if (m_pAdmission && ShellX() != nullptr) {
        m_pAdmission->OnWindowEvents(events);
    }
}

void CWarrowDlg::DestroyWindow() {
    m_guardTimer.stop();
    m_tickTimer.stop();
    delete m_pClose;
    m_pClose = nullptr;
    m_pRest->hide();
    m_pMessage->hide();
    if (m_pSwitcher != nullptr) {
        m_pSwitcher->hide(); // an unmapped dock reserves nothing: the work area is whole again
    }
    hide();
}
