#include "shell/CDlgSwitcher.h"

#include <QFontMetrics>

#include "shell/AppIcon.h"
#include "shell/CBtnSwitcher.h"
#include "shell/CVolumeDialog.h"
#include "shell/CWarrowDlg.h"
#include "shell/ShellLayout.h"
#include "shell/TaskWindow.h"
#include "skin/CGlazeStatic.h"

#include <QMenu>
#include <QPainter>
#include <QTime>

namespace {
CDlgSwitcher* s_pSwitcher = nullptr;
constexpr int kFirstTaskX = 75;
constexpr int kTaskWidth = 72;
constexpr int kClockWidth = 100;
constexpr int kVolumeButtonWidth = 48;
constexpr int kClockMargin = 4; // between the volume button and the first digit
constexpr int kClockRefreshMs = 30000;
} // namespace

CDlgSwitcher::CDlgSwitcher(QWidget* owner)
    : CGlazeDialog(owner, Qt::Window | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
      m_pStart(new CGlazeButton(this)), m_pVolumeButton(new CGlazeButton(this)),
      m_pClock(new CGlazeStatic(this)), m_pVolume(new CVolumeDialog(this)) {
    s_pSwitcher = this;
    setWindowTitle(QStringLiteral("Warrow"));
    m_clockTimer.setInterval(kClockRefreshMs);
    connect(&m_clockTimer, &QTimer::timeout, this, &CDlgSwitcher::UpdateClock);
    connect(m_pStart, &QAbstractButton::clicked, this, &CDlgSwitcher::OnStart);
    connect(m_pVolumeButton, &QAbstractButton::clicked, this, &CDlgSwitcher::OnVolume);
}

CDlgSwitcher::~CDlgSwitcher() {
    if (s_pSwitcher == this) {
        s_pSwitcher = nullptr;
    }
}

CDlgSwitcher* CDlgSwitcher::Instance() {
    return s_pSwitcher;
}

bool CDlgSwitcher::OnInitDialog() {
    SetImage("Resource/儿童界面/任务栏背景.bmp");
    SetDragRect(QRect());
    m_pStart->SetImage("Resource/儿童界面/开始按钮00.bmp", 0);
    m_pStart->SetImage("Resource/儿童界面/开始按钮02.bmp", 1);
    m_pStart->SetImage("Resource/儿童界面/开始按钮02.bmp", 2);
    m_pStart->setGeometry(0, 0, 61, kTaskbarHeight);
    for (int state = 0; state < 3; ++state) {
        m_pVolumeButton->SetImage("Resource/儿童界面/音量控制.bmp", state);
    }
    QFont clockFont(QStringLiteral("Ariel"));
    clockFont.setPixelSize(20); // a cell height of 24 is a 20-pixel font
    m_pClock->setFont(clockFont);
    m_pClock->SetFontColor(Qt::white);
    m_pClock->SetFormat(DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    m_pClock->SetImage("Resource/儿童界面/日期背景.bmp");
    m_pClock->lower();
    UpdateClock();
    m_clockTimer.start();
    m_pMenu = new QMenu(this);
    const struct {
        int id;
        const char* text;
    } items[] = {{ID_RESTORE, "还原(&R)"},
                 {ID_MINIMISE, "最小化(&N)"},
                 {ID_MAXIMISE, "最大化(&X)"},
                 {0, nullptr},
                 {ID_CLOSE, "关闭(&C)"}};
    for (const auto& item : items) {
        if (item.text == nullptr) {
            m_pMenu->addSeparator();
            continue;
        }
        const int id = item.id;
        m_pMenu->addAction(QString::fromUtf8(item.text), this, [this, id] { OnMenuCommand(id); });
    }
    m_pVolume->OnInitDialog();
    m_pVolume->hide();
    PlaceControls();
    return true;
}

bool CDlgSwitcher::OnEraseBkgnd(QPainter* dc) {
    if (GetBackground() == nullptr) {
        return false;
    }
    GetBackground()->StretchBlt(dc, rect());
    return true;
}

void CDlgSwitcher::resizeEvent(QResizeEvent* event) {
    CGlazeDialog::resizeEvent(event);
    PlaceControls();
}

void CDlgSwitcher::moveEvent(QMoveEvent* event) {
    CGlazeDialog::moveEvent(event);
    PlaceControls();
}

void CDlgSwitcher::PlaceControls() {
    const QRect client = rect();
    m_pClock->setGeometry(client.right() + 1 - kClockWidth, client.top(), kClockWidth, client.height());
    // The volume button lies over the left part of the clock: the time must
    // fit in the rest, so the font shrinks until "23:59" does.
    const int room = kClockWidth - kVolumeButtonWidth - kClockMargin;
    QFont clockFont = m_pClock->font();
    for (int size = 20; size >= 8; --size) {
        clockFont.setPixelSize(size);
        if (QFontMetrics(clockFont).horizontalAdvance(QStringLiteral("23:59 ")) <= room) {
            break;
        }
    }
    m_pClock->setFont(clockFont);
    UpdateClock();
    m_pVolumeButton->setGeometry(client.right() + 1 - kClockWidth, 0, kVolumeButtonWidth, kTaskbarHeight);
    m_pVolumeButton->raise();
    const QPoint corner = mapToGlobal(QPoint(client.right() + 1 - kClockWidth, 0));
    m_pVolume->setGeometry(corner.x(), corner.y() - 100, kVolumeButtonWidth, 100);
}

void CDlgSwitcher::UpdateClock() {
    const QTime now = m_clock ? m_clock() : QTime::currentTime();
    m_pClock->SetWindowTextA(QString::asprintf("%02d:%02d ", now.hour(), now.minute()));
}

bool CDlgSwitcher::AddButton(unsigned long window, const std::string& caption, const std::string& program) {
    if (m_buttons.count(window) != 0) {
        return false;
    }
    const int n = static_cast<int>(m_buttons.size());
    auto* button = new CBtnSwitcher(this, window, AppIcon(program, caption));
    button->setText(QString::fromStdString(caption));
    button->setToolTip(button->text());
    button->SetAutoStretch(true);
    button->SetImage("Resource/儿童界面/任务栏按钮00.bmp", 0);
    button->SetImage("Resource/儿童界面/任务栏按钮01.bmp", 1);
    button->SetImage("Resource/儿童界面/任务栏按钮02.bmp", 2);
    button->setGeometry(kFirstTaskX + kTaskWidth * n, 3, kTaskWidth, kTaskbarHeight);
    button->show();
    m_buttons.emplace(window, button);
    return true;
}

bool CDlgSwitcher::RemoveButton(unsigned long window) {
    auto found = m_buttons.find(window);
    if (found != m_buttons.end()) {
        delete found->second;
        m_buttons.erase(found);
    }
    return true;
}

void CDlgSwitcher::Arrange() {
    int i = 0;
    for (const auto& [window, button] : m_buttons) {
        button->setGeometry(kFirstTaskX + kTaskWidth * i++, 0, kTaskWidth, kTaskbarHeight);
    }
}

void CDlgSwitcher::OpenWindowMenu(unsigned long window, const QPoint& where) {
    if (m_pMenu == nullptr || m_bTasksLocked) {
        return;
    }
    m_menuTarget = window;
    m_pMenu->popup(where);
}

void CDlgSwitcher::OnMenuCommand(int id) {
    const unsigned long target = m_menuTarget;
    if (target == 0 || m_bTasksLocked) {
        return;
    }
    switch (id) {
    case ID_RESTORE:
        RestoreTaskWindow(target);
        break;
    case ID_MINIMISE:
        MinimiseTaskWindow(target);
        break;
    case ID_MAXIMISE:
        MaximiseTaskWindow(target);
        break;
    case ID_CLOSE:
        // The task stays until its window is really gone: a program that
        // asks "save?" first keeps its button and is still ended with the shell.
        CloseTaskWindow(target);
        break;
    default:
        break;
    }
}

void CDlgSwitcher::OnStart() {
    CWarrowDlg* shell = CWarrowDlg::Main();
    if (shell == nullptr) {
        return;
    }
    // The start menu: ask the parent for more time, or reach the exit dialog.
    QMenu menu(this);
    QMenu* more = menu.addMenu(QStringLiteral("我还想玩一会儿"));
    for (const int minutes : {15, 30, 60}) {
        more->addAction(QStringLiteral("%1分钟").arg(minutes))->setData(minutes);
    }
    menu.addSeparator();
    QAction* exit = menu.addAction(QStringLiteral("退出儿童模式…"));
    // A locked desktop keeps the keyboard; the menu needs it while it is open.
    shell->SetStartMenuOpen(true);
    const QAction* chosen = menu.exec(mapToGlobal(QPoint(0, 0)) - QPoint(0, menu.sizeHint().height()));
    shell->SetStartMenuOpen(false);
    if (chosen == exit) {
        shell->OpenExitDialog();
    } else if (chosen != nullptr && chosen->data().isValid()) {
        shell->RequestExtraTime(chosen->data().toInt());
    }
}

void CDlgSwitcher::OnVolume() {
    m_pVolume->show();
    m_pVolume->raise();
    m_pVolume->activateWindow();
}
