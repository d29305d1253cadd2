#pragma once
// The usage log: a plain window listing the activity log newest first, a
// page at a time as the parent scrolls, with a menu to clear the log, export
// it as CSV, and close. A second tab charts the minutes per day of the last
// two weeks, worked out when the tab is first shown.

#include <QDialog>
#include <QString>

#include <optional>

class CLogModel;
class CUsageChartView;
class QTabWidget;
class QTreeView;

class CDlgLogout : public QDialog {
public:
    explicit CDlgLogout(QWidget* parent = nullptr);
    ~CDlgLogout() override;
    int DoModal();

    // Clears the whole log, without a question, as the menu item does.
    void OnClearLog();
    // Asks for a file name and writes the log there as CSV, with a progress
    // window the parent can cancel; returns when the export has ended.
    void OnExport();

    CLogModel* Model() const { return m_pModel; }
    QTreeView* View() const { return m_pView; }
    QTabWidget* Tabs() const { return m_pTabs; }
    CUsageChartView* Chart() const { return m_pChart; }
    // Shows the chart's tab (working out its figures when they are not yet known).
    void ShowChart();

    // The days the chart covers.
    static constexpr int kChartDays = 14;

    // The open usage-log window, or null.
    static CDlgLogout* Instance();
    // Test seam: the next export writes to `path` without asking (empty: cancel).
    static void SetNextExportPath(const QString& path);
    static void ClearNextExportPath();
    // Test seam: the chart's "now" (an OLE date, local time); nullopt: the clock.
    static void SetChartMoment(std::optional<double> now);

private:
    QString AskExportPath();
    // Reads the figures of the chart's days; says so when the log cannot be read.
    void RefreshChart();

    CLogModel* m_pModel;
    QTreeView* m_pView;
    QTabWidget* m_pTabs;
    CUsageChartView* m_pChart;
    bool m_bChartKnown = false;
};
