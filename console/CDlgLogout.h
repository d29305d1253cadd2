#pragma once
// The usage log: a plain window listing the activity log newest first, a
// page at a time as the parent scrolls, with a menu to clear the log, export
// it as CSV, and close.

#include <QDialog>
#include <QString>

class CLogModel;
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

    // The open usage-log window, or null.
    static CDlgLogout* Instance();
    // Test seam: the next export writes to `path` without asking (empty: cancel).
    static void SetNextExportPath(const QString& path);
    static void ClearNextExportPath();

private:
    QString AskExportPath();

    CLogModel* m_pModel;
    QTreeView* m_pView;
};
