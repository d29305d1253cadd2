#include "update/CWarrowUpdateDlg.h"

#include "platform/Paths.h"
#include "update/CProcess.h"
#include "update/ConsoleStatus.h"
#include "update/PackageOpener.h"
#include "update/SafeNames.h"
#include "update/UpdateLog.h"

#include <QCloseEvent>
#include <QDir>
#include <QIcon>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>

#include <climits>

CWarrowUpdateDlg::CWarrowUpdateDlg(CProcess& process, QWidget* parent) : QDialog(parent), m_process(process) {
    setWindowTitle(QStringLiteral("Tavi儿童保护系统自动更新"));
    setWindowIcon(QIcon::fromTheme(QStringLiteral("system-software-update"),
                                   style()->standardIcon(QStyle::SP_BrowserReload)));
    setFixedSize(480, 98);

    m_pStatus = new QLabel(QStringLiteral("开始更新"), this);
    m_pStatus->setObjectName(QStringLiteral("status"));
    m_pStatus->setTextFormat(Qt::PlainText);
    m_pStatus->setGeometry(12, 12, 456, 22);

    m_pProgress = new QProgressBar(this);
    m_pProgress->setGeometry(12, 50, 366, 24);
    m_pProgress->setRange(0, 100);
    m_pProgress->setValue(0);
    m_pProgress->setTextVisible(false);

    m_pCancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_pCancel->setGeometry(388, 48, 80, 28);
    connect(m_pCancel, &QPushButton::clicked, this, &CWarrowUpdateDlg::reject);

    m_timer.setInterval(100);
    connect(&m_timer, &QTimer::timeout, this, &CWarrowUpdateDlg::OnTimer);
}

CWarrowUpdateDlg::~CWarrowUpdateDlg() {
    CleanUp();
}

int CWarrowUpdateDlg::ProgressShift(qint64 total) {
    int shift = 0;
    while ((total >> shift) > INT_MAX) {
        ++shift;
    }
    return shift;
}

void CWarrowUpdateDlg::OnInitDialog() {
    m_process.GetUpdateSection([this](const std::optional<std::string>& section) { OnSection(section); });
}

void CWarrowUpdateDlg::OnSection(const std::optional<std::string>& section) {
    const bool background = m_process.IsBackground();
    if (m_eOutcome != OUTCOME_RUNNING) {
        return;
    }
    if (!section) {
        update::WriteLog(background, "%s", update::kLogNoNewerVersion);
        Fail();
        return;
    }
    const update::tagPackageEntry entry = m_process.ReadPackageEntry(*section);
    if (entry.strFile.empty()) {
        update::WriteLog(background, "%s", update::kLogNoFileKey);
        Fail();
        return;
    }
    // Names from the server never leave their folders: nothing is written
    // or opened for a version that names anything else.
    m_strPackageName = update::PackageFileName(entry.strFile);
    if (m_strPackageName.empty() || (!entry.strRun.empty() && !update::IsSafeRelativePath(entry.strRun))) {
        update::WriteLog(background, update::kLogUnsafeName,
                         (m_strPackageName.empty() ? entry.strFile : entry.strRun).c_str());
        Fail();
        return;
    }
    m_strRun = entry.strRun;
    if (!QDir().mkpath(QString::fromLatin1(kUpdateFolder))) {
        update::WriteLog(background, update::kLogDownloadFailed, m_strPackageName.c_str(),
                         "cannot create the folder Update");
        Fail();
        return;
    }
    const QUrl url(QString::fromStdString(m_process.GetServer() + entry.strFile));
    const QString target =
        QString::fromLatin1(kUpdateFolder) + QLatin1Char('/') + QString::fromStdString(m_strPackageName);
    m_pDownload = m_process.StartDownload(
        url, target, QByteArray::fromStdString(entry.strSha256).trimmed(),
        [this](qint64 total) { OnDownloadStarted(total); },
        [this](bool ok, const QString& reason) { OnDownloadDone(ok, reason); });
}

void CWarrowUpdateDlg::OnDownloadStarted(qint64 total) {
    update::WriteLog(m_process.IsBackground(), update::kLogStarted, m_strPackageName.c_str());
    update::PostUpdateStatus(update::UPDATE_STARTED);
    m_nShift = ProgressShift(total);
    m_pProgress->setRange(0, static_cast<int>(total >> m_nShift));
    m_timer.start();
}

void CWarrowUpdateDlg::OnTimer() {
    if (!m_pDownload || m_pDownload->Total() <= 0) {
        return;
    }
    const qint64 received = m_pDownload->Received();
    m_pProgress->setValue(static_cast<int>(received >> m_nShift));
    m_pStatus->setText(QStringLiteral("更新中... 已完成 %1％").arg(received * 100 / m_pDownload->Total()));
}

void CWarrowUpdateDlg::OnDownloadDone(bool ok, const QString& reason) {
    m_timer.stop();
    if (!ok) {
        m_strFailure = reason;
        update::WriteLog(m_process.IsBackground(), update::kLogDownloadFailed, m_strPackageName.c_str(),
                         reason.toUtf8().constData());
        Fail();
        return;
    }
    m_pProgress->setRange(0, 1);
    m_pProgress->setValue(1);
    m_pStatus->setText(QStringLiteral("更新完成！"));
    update::WriteLog(m_process.IsBackground(), "%s", update::kLogFinished);
    update::PostUpdateStatus(update::UPDATE_FINISHED);
    m_eOutcome = OUTCOME_UPDATED;
    close();
}

void CWarrowUpdateDlg::closeEvent(QCloseEvent* event) {
    event->accept();
    if (m_eOutcome != OUTCOME_UPDATED) {
        reject(); // closing the window during the download is a Cancel
        return;
    }
    if (!m_strRun.empty()) {
        const std::string path = platform::JoinPath(platform::CurrentDirectory(), m_strRun);
        if (!update::OpenWithDesktopHandler(path)) {
            update::WriteLog(m_process.IsBackground(), update::kLogOpenFailed, m_strRun.c_str());
        }
    }
    CleanUp();
    QDialog::done(QDialog::Accepted);
}

void CWarrowUpdateDlg::reject() {
    if (m_eOutcome == OUTCOME_RUNNING) {
        m_eOutcome = OUTCOME_CANCELLED;
    }
    CleanUp();
    QDialog::reject();
}

void CWarrowUpdateDlg::Fail() {
    if (m_eOutcome != OUTCOME_RUNNING) {
        return;
    }
    m_eOutcome = OUTCOME_FAILED;
    update::PostUpdateStatus(update::UPDATE_FAILED);
    CleanUp();
    QDialog::reject();
}

void CWarrowUpdateDlg::CleanUp() {
    m_timer.stop();
    // Between two writes: the temporary file goes, no file keeps the final name.
    if (m_pDownload) {
        m_pDownload->Cancel();
    }
    m_process.DeleteVersionList();
}
