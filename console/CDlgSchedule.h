#pragma once
// The schedule: per weekday the hours in which the child may use the
// computer, edited on the week grid. Nothing is stored until "设  置", and
// then only the days the parent changed, all in one transaction; a failed
// save says so and keeps the dialog open with the edits.

#include "core/WeekSchedule.h"
#include "skin/CGlazeDialog.h"

#include <set>

class CDataBase;
class CGlazeButton;
class CScheduleGrid;
class QLabel;

class CDlgSchedule : public CGlazeDialog {
public:
    // `db` holds the schedule table (the settings database).
    explicit CDlgSchedule(CDataBase* db, QWidget* parent = nullptr);
    // Reads the stored schedule; false when the background or the schedule
    // cannot be read (a grid showing "no limits" for an unreadable table
    // would tell the parent a lie).
    bool OnInitDialog();
    int DoModal();

    CScheduleGrid* Grid() const { return m_pGrid; }
    QLabel* Summary() const { return m_pSummary; }
    CGlazeButton* SetButton() const { return m_pSet; }
    CGlazeButton* CancelButton() const { return m_pCancel; }
    const std::set<int>& ChangedDays() const { return m_changed; }

    void OnOK() override;
    void OnCancel() override;

    // One line per weekday, as the summary under the grid shows them.
    static QString DayText(int weekday, const core::CWeekSchedule::Spans& spans);

protected:
    bool OnEraseBkgnd(QPainter* dc) override;

private:
    void ShowSummary();

    CDataBase* m_pDb;
    CScheduleGrid* m_pGrid;
    QLabel* m_pHint;
    QLabel* m_pSummary;
    CGlazeButton* m_pSet;
    CGlazeButton* m_pCancel;
    CGlazeButton* m_pClose;
    std::set<int> m_changed;
};
