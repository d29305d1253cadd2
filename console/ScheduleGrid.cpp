#include "console/ScheduleGrid.h"

#include "console/ScheduleCells.h"

#include <QMouseEvent>
#include <QPainter>

namespace {
constexpr int kLabelWidth = 64;
constexpr int kHeaderHeight = 20;
constexpr int kMargin = 8;
const char* const kDayNames[] = {"周一", "周二", "周三", "周四", "周五", "周六", "周日"};
} // namespace

CScheduleGrid::CScheduleGrid(QWidget* parent) : QWidget(parent) {
    setMinimumSize(kLabelWidth + kScheduleCells * 8 + 2 * kMargin, 160);
}

void CScheduleGrid::SetSchedule(const core::CWeekSchedule& schedule) {
    m_schedule = schedule;
    update();
}

QRect CScheduleGrid::CellRect(int weekday, int cell) const {
    const int width = (this->width() - 2 * kMargin - kLabelWidth) / kScheduleCells;
    const int height = (this->height() - 2 * kMargin - kHeaderHeight) / core::CWeekSchedule::kDays;
    return QRect(kMargin + kLabelWidth + cell * width, kMargin + kHeaderHeight + weekday * height, width,
                 height);
}

QRect CScheduleGrid::LabelRect(int weekday) const {
    const QRect first = CellRect(weekday, 0);
    return QRect(kMargin, first.top(), kLabelWidth - 4, first.height());
}

bool CScheduleGrid::CellAt(const QPoint& point, int& weekday, int& cell) const {
    for (int day = 0; day < core::CWeekSchedule::kDays; ++day) {
        const QRect row = CellRect(day, 0).united(CellRect(day, kScheduleCells - 1));
        if (row.contains(point)) {
            weekday = day;
            cell = (point.x() - row.left()) / CellRect(day, 0).width();
            return cell >= 0 && cell < kScheduleCells;
        }
    }
    return false;
}

void CScheduleGrid::Paint(int weekday, int cell) {
    std::vector<bool> cells = CellsOfDay(m_schedule.Day(weekday));
    if (cells[static_cast<std::size_t>(cell)] == m_bPaintAllowed && m_schedule.Day(weekday).has_value()) {
        return;
    }
    cells[static_cast<std::size_t>(cell)] = m_bPaintAllowed;
    m_schedule.Set(weekday, SpansOfCells(cells));
    update();
    if (m_onChanged) {
        m_onChanged(weekday);
    }
}

void CScheduleGrid::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    for (int day = 0; day < core::CWeekSchedule::kDays; ++day) {
        if (LabelRect(day).contains(at)) {
            m_schedule.Clear(day);
            update();
            if (m_onChanged) {
                m_onChanged(day);
            }
            return;
        }
    }
    int weekday = 0;
    int cell = 0;
    if (event->button() == Qt::LeftButton && CellAt(at, weekday, cell)) {
        m_bPainting = true;
        m_bPaintAllowed = !CellsOfDay(m_schedule.Day(weekday))[static_cast<std::size_t>(cell)];
        Paint(weekday, cell);
    }
}

void CScheduleGrid::mouseMoveEvent(QMouseEvent* event) {
    int weekday = 0;
    int cell = 0;
    if (m_bPainting && CellAt(event->position().toPoint(), weekday, cell)) {
        Paint(weekday, cell);
    }
}

void CScheduleGrid::mouseReleaseEvent(QMouseEvent*) {
    m_bPainting = false;
}

void CScheduleGrid::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setPen(Qt::darkGray);
    for (int hour = 0; hour <= 24; hour += 3) {
        const int x = hour < 24 ? CellRect(0, hour * 2).left() : CellRect(0, kScheduleCells - 1).right();
        p.drawText(QRect(x - 20, kMargin, 40, kHeaderHeight - 2), Qt::AlignCenter, QString::number(hour));
    }
    for (int day = 0; day < core::CWeekSchedule::kDays; ++day) {
        const auto& spans = m_schedule.Day(day);
        const std::vector<bool> cells = CellsOfDay(spans);
        p.setPen(Qt::black);
        p.drawText(LabelRect(day), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromUtf8(kDayNames[day]) + (spans ? QString() : QStringLiteral(" 不限")));
        for (int cell = 0; cell < kScheduleCells; ++cell) {
            const QRect r = CellRect(day, cell).adjusted(0, 1, -1, -1);
            // A day without limits is drawn paler than hours the parent chose.
            const QColor on = spans ? QColor(0x00, 0x72, 0xB2) : QColor(0x9C, 0xC8, 0xE6);
            p.fillRect(r, cells[static_cast<std::size_t>(cell)] ? on : QColor(0xEE, 0xEE, 0xEE));
        }
    }
}
