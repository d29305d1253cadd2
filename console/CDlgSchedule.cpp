#include "console/CDlgSchedule.h"

#include "console/ConsoleMessageBox.h"
#include "console/DialogLook.h"
#include "console/ScheduleGrid.h"
#include "core/TimeTables.h"
#include "skin/CGlazeBitmap.h"
#include "skin/CGlazeButton.h"

#include <QLabel>
#include <QPainter>

#include <vector>

namespace {

// The dialog borrows the setup guide's large frame: a header band of 39
// pixels, the body, and a button band from 461 down.
constexpr const char* kBackground = "Resource/家长界面/向导界面/向导界面背景.bmp";
constexpr int kWidth = 674;
// Where the frame carries the guide's emblem, which does not belong here.
const QRect kGuideEmblem(12, 8, 23, 23);

const char* const kDayNames[] = {"周一", "周二", "周三", "周四", "周五", "周六", "周日"};

} // namespace

CDlgSchedule::CDlgSchedule(CDataBase* db, QWidget* parent)
    : CGlazeDialog(parent), m_pDb(db), m_pGrid(new CScheduleGrid(this)), m_pHint(new QLabel(this)),
      m_pSummary(new QLabel(this)), m_pSet(new CGlazeButton(this)), m_pCancel(new CGlazeButton(this)),
      m_pClose(new CGlazeButton(this)) {
    setWindowTitle(QStringLiteral("作息时间"));
    m_pHint->setText(
        QStringLiteral("蓝色的时段里孩子可以使用电脑，其余时间儿童模式让孩子休息。"
                       "在格子上按住鼠标拖动可以增减时段（每格半小时），点击星期几取消那一天的限制。"));
    m_pHint->setWordWrap(true);
    m_pSummary->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_pGrid->SetOnChanged([this](int weekday) {
        m_changed.insert(weekday);
        ShowSummary();
    });
    m_pSet->setText(QStringLiteral("设  置"));
    m_pCancel->setText(QStringLiteral("取  消"));
    connect(m_pSet, &QAbstractButton::clicked, this, [this] { OnOK(); });
    connect(m_pCancel, &QAbstractButton::clicked, this, [this] { OnCancel(); });
    connect(m_pClose, &QAbstractButton::clicked, this, [this] { OnCancel(); });
}

QString CDlgSchedule::DayText(int weekday, const core::CWeekSchedule::Spans& spans) {
    QString text = QString::fromUtf8(kDayNames[weekday]) + QStringLiteral("：");
    if (!spans) {
        return text + QStringLiteral("不限制");
    }
    if (spans->empty()) {
        return text + QStringLiteral("全天不能使用电脑");
    }
    return text +
           QString::fromStdString(core::FormatSpans(*spans)).replace(QLatin1Char(','), QStringLiteral("，"));
}

bool CDlgSchedule::OnInitDialog() {
    SetLayeredWindowAttributes(kGlazeColorKey, 0, LWA_COLORKEY);
    if (!SetImage(kBackground)) {
        return false;
    }
    SetTextColor(QColor(0x16, 0x3A, 0x71));
    core::CWeekSchedule week;
    if (m_pDb == nullptr || !core::LoadSchedule(*m_pDb, week)) {
        return false;
    }
    m_pGrid->SetSchedule(week);
    m_changed.clear();

    QPalette ink = palette();
    ink.setColor(QPalette::WindowText, QColor(0x14, 0x3A, 0x71));
    for (QLabel* label : {m_pHint, m_pSummary}) {
        label->setPalette(ink);
        QFont font = label->font();
        font.setPixelSize(12);
        label->setFont(font);
    }
    m_pHint->setGeometry(24, 48, kWidth - 48, 40);
    m_pGrid->setGeometry(17, 92, 640, 226);
    m_pSummary->setGeometry(32, 324, kWidth - 64, 134);
    console::PushButtonLook(*m_pSet, QRect(489, 471, 82, 24));
    console::PushButtonLook(*m_pCancel, QRect(582, 471, 82, 24));
    for (int state = 0; state < 4; ++state) {
        m_pClose->SetImage(QStringLiteral("Resource/家长界面/叉0%1.bmp").arg(state + 1).toUtf8().constData(),
                           state);
    }
    m_pClose->setGeometry(648, 11, 17, 18);
    ShowSummary();
    return true;
}

int CDlgSchedule::DoModal() {
    if (!OnInitDialog()) {
        return console::IDCANCEL;
    }
    return exec() == QDialog::Accepted ? console::IDOK : console::IDCANCEL;
}

void CDlgSchedule::ShowSummary() {
    QStringList lines;
    for (int day = 0; day < core::CWeekSchedule::kDays; ++day) {
        lines << DayText(day, m_pGrid->Schedule().Day(day));
    }
    m_pSummary->setText(lines.join(QLatin1Char('\n')));
}

bool CDlgSchedule::OnEraseBkgnd(QPainter* dc) {
    if (!CGlazeDialog::OnEraseBkgnd(dc)) {
        return false;
    }
    // The header's colour runs from top to bottom only, so a piece of it from
    // further right covers the emblem.
    if (const CGlazeBitmap* frame = GetBackground()) {
        const QRect source = frame->GetSourceRect();
        dc->drawPixmap(kGuideEmblem, frame->GetPixmap(),
                       kGuideEmblem.translated(source.topLeft() + QPoint(kGuideEmblem.width() + 8, 0)));
    }
    return true;
}

void CDlgSchedule::OnOK() {
    if (!m_changed.empty()) {
        const std::vector<int> days(m_changed.begin(), m_changed.end());
        if (m_pDb == nullptr || !core::SaveScheduleDays(*m_pDb, m_pGrid->Schedule(), days)) {
            console::MessageBox(this, QStringLiteral("作息时间保存失败，请稍后再试"));
            return;
        }
    }
    done(QDialog::Accepted);
}

void CDlgSchedule::OnCancel() {
    done(QDialog::Rejected);
}
