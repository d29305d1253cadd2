#pragma once
// The week grid of the schedule: a row per weekday, a cell per half hour,
// blue where the child may use the computer. A press and drag paints the
// cells the way the first one turned; a day's label resets it to "no
// limits". Days nobody touched keep their spans exactly, also those that do
// not fall on half hours.

#include "core/WeekSchedule.h"

#include <QWidget>

#include <array>
#include <functional>

class CScheduleGrid : public QWidget {
public:
    explicit CScheduleGrid(QWidget* parent = nullptr);

    void SetSchedule(const core::CWeekSchedule& schedule);
    const core::CWeekSchedule& Schedule() const { return m_schedule; }
    // Called with the weekday after each edit of a day.
    void SetOnChanged(std::function<void(int weekday)> changed) { m_onChanged = std::move(changed); }

    // The cell under a point; false outside the cells.
    bool CellAt(const QPoint& point, int& weekday, int& cell) const;
    QRect CellRect(int weekday, int cell) const;
    QRect LabelRect(int weekday) const;

    QSize sizeHint() const override { return {760, 220}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Paint(int weekday, int cell);

    core::CWeekSchedule m_schedule;
    std::function<void(int)> m_onChanged;
    bool m_bPainting = false;
    bool m_bPaintAllowed = false;
};
