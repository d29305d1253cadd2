#pragma once
// The update window: the status text, the progress bar and Cancel. It
// fetches the version list from the chosen server, downloads the package of
// the version to install into "Update/" and opens the Run path when the
// package is complete.

#include "update/CHttpDownload.h"

#include <QDialog>
#include <QTimer>

#include <memory>
#include <optional>
#include <string>

class CProcess;
class QLabel;
class QProgressBar;
class QPushButton;

class CWarrowUpdateDlg : public QDialog {
public:
    enum enOutcome { OUTCOME_RUNNING, OUTCOME_UPDATED, OUTCOME_FAILED, OUTCOME_CANCELLED };
    static constexpr const char* kUpdateFolder = "Update";

    explicit CWarrowUpdateDlg(CProcess& process, QWidget* parent = nullptr);
    ~CWarrowUpdateDlg() override;

    // Starts the update; the dialog ends by itself when it is over.
    void OnInitDialog();

    enOutcome Outcome() const { return m_eOutcome; }
    // What the package download reported last (empty while none ended).
    const QString& FailureReason() const { return m_strFailure; }
    QLabel* StatusText() const { return m_pStatus; }
    QProgressBar* ProgressBar() const { return m_pProgress; }
    QPushButton* CancelButton() const { return m_pCancel; }

    // The progress bar counts in units that fit an int however large the package.
    static int ProgressShift(qint64 total);

protected:
    void reject() override;                       // Cancel, Escape and the window's close button
    void closeEvent(QCloseEvent* event) override; // the end of a complete download

private:
    void OnSection(const std::optional<std::string>& section);
    void OnDownloadStarted(qint64 total);
    void OnTimer();
    void OnDownloadDone(bool ok, const QString& reason);
    void Fail();
    void CleanUp();

    CProcess& m_process;
    QProgressBar* m_pProgress = nullptr;
    QLabel* m_pStatus = nullptr;
    QPushButton* m_pCancel = nullptr;
    std::string m_strRun;
    std::string m_strPackageName;
    std::unique_ptr<CHttpDownload> m_pDownload;
    QTimer m_timer;
    int m_nShift = 0;
    enOutcome m_eOutcome = OUTCOME_RUNNING;
    QString m_strFailure;
};
