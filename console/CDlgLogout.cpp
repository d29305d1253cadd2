#include "console/CDlgLogout.h"

#include "console/CLogModel.h"
#include "console/ConsoleMessageBox.h"
#include "console/LogCsvExport.h"
#include "console/UsageChartView.h"
#include "core/COleDateTime.h"
#include "core/CWarrowCoreInterface.h"
#include "core/UsageReport.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QHeaderView>
#include <QMenuBar>
#include <QProgressDialog>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include <optional>
#include <utility>

namespace {

CDlgLogout* s_pInstance = nullptr;
std::optional<QString> s_nextExportPath;
std::optional<double> s_chartMoment;

constexpr int kLogTab = 0;
constexpr int kChartTab = 1;

// Lines written per turn of the event loop while exporting: small enough
// that the window answers between turns.
constexpr int kExportRowsPerTurn = 5000;

CWarrowLog* Log() {
    return CWarrowCoreInterface::Get()->GetLog();
}

} // namespace

CDlgLogout::CDlgLogout(QWidget* parent)
    : QDialog(parent), m_pModel(new CLogModel(Log() != nullptr ? Log()->GetDataBase() : nullptr, this)),
      m_pView(new QTreeView(this)), m_pTabs(new QTabWidget(this)), m_pChart(new CUsageChartView(this)) {
    setWindowTitle(QStringLiteral("使 用 记 录"));
    auto* menu = new QMenuBar(this);
    connect(menu->addAction(QStringLiteral("清空日志")), &QAction::triggered, this, [this] { OnClearLog(); });
    connect(menu->addAction(QStringLiteral("导出记录")), &QAction::triggered, this, [this] { OnExport(); });
    connect(menu->addAction(QStringLiteral("关闭")), &QAction::triggered, this, [this] { reject(); });

    m_pView->setModel(m_pModel);
    m_pView->setRootIsDecorated(false);
    m_pView->setUniformRowHeights(true); // rows are measured once, not one by one
    m_pView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pView->header()->setStretchLastSection(true);
    m_pView->setColumnWidth(CLogModel::DateColumn, 150);
    m_pView->setColumnWidth(CLogModel::TextColumn, 400);

    m_pTabs->addTab(m_pView, QStringLiteral("日志"));
    m_pTabs->addTab(m_pChart, QStringLiteral("图表"));
    // The figures are worked out only when the parent looks at them, so the
    // window opens on the log as fast as before.
    connect(m_pTabs, &QTabWidget::currentChanged, this, [this](int tab) {
        if (tab == kChartTab && !m_bChartKnown) {
            RefreshChart();
        }
    });

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menu);
    layout->setContentsMargins(10, 11, 10, 11);
    layout->addWidget(m_pTabs);
    resize(760, 540); // the chart's fourteen bars and its list side by side
    s_pInstance = this;
}

CDlgLogout::~CDlgLogout() {
    if (s_pInstance == this) {
        s_pInstance = nullptr;
    }
}

CDlgLogout* CDlgLogout::Instance() {
    return s_pInstance;
}

int CDlgLogout::DoModal() {
    return exec() == QDialog::Accepted ? console::IDOK : console::IDCANCEL;
}

void CDlgLogout::OnClearLog() {
    if (Log() == nullptr || !m_pModel->Clear(*Log())) {
        console::MessageBox(this, QStringLiteral("清空日志失败"));
    }
    // The chart follows the log: at once when it is in view, else when next shown.
    m_bChartKnown = false;
    if (m_pTabs->currentIndex() == kChartTab) {
        RefreshChart();
    }
}

void CDlgLogout::ShowChart() {
    if (m_pTabs->currentIndex() != kChartTab) {
        m_pTabs->setCurrentIndex(kChartTab); // works the figures out through currentChanged
    } else if (!m_bChartKnown) {
        RefreshChart();
    }
}

void CDlgLogout::SetChartMoment(std::optional<double> now) {
    s_chartMoment = now;
}

void CDlgLogout::RefreshChart() {
    const COleDateTime now = s_chartMoment ? COleDateTime(*s_chartMoment) : COleDateTime::GetCurrentTime();
    const int today = now.GetYear() * 10000 + now.GetMonth() * 100 + now.GetDay();
    core::tagUsageReport report;
    CDataBase* db = Log() != nullptr ? Log()->GetDataBase() : nullptr;
    // One query over the log's time index: its cost follows the lines of the
    // fortnight, not the length of the log; a dense fortnight takes a moment.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_bChartKnown = db != nullptr && core::ComputeUsage(*db, today, kChartDays, now.m_dt, report);
    QApplication::restoreOverrideCursor();
    if (!m_bChartKnown) {
        report = core::tagUsageReport{}; // asked again when the tab is next shown
        console::MessageBox(this, QStringLiteral("使用统计读取失败，请稍后再试"));
    }
    m_pChart->SetReport(report);
}

void CDlgLogout::SetNextExportPath(const QString& path) {
    s_nextExportPath = path;
}

void CDlgLogout::ClearNextExportPath() {
    s_nextExportPath.reset();
}

QString CDlgLogout::AskExportPath() {
    if (s_nextExportPath) {
        return *std::exchange(s_nextExportPath, std::nullopt);
    }
    return QFileDialog::getSaveFileName(this, QStringLiteral("导出记录"),
                                        QDir::home().filePath(QStringLiteral("使用记录.csv")),
                                        QStringLiteral("CSV (*.csv);;All Files (*)"));
}

void CDlgLogout::OnExport() {
    const QString path = AskExportPath();
    if (path.isEmpty() || Log() == nullptr) {
        return;
    }
    console::CLogCsvExport exporter(Log()->GetDataBase(), path);
    if (!exporter.Begin()) {
        console::MessageBox(this, QStringLiteral("导出记录失败：") + exporter.ErrorText());
        return;
    }
    QProgressDialog progress(QStringLiteral("正在导出记录..."), QStringLiteral("取消"), 0, 0, this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    // Only an export that takes a while shows it.
    QTimer::singleShot(500, &progress, [&progress] { progress.show(); });

    // The export runs a portion per turn of this loop, so the windows keep
    // painting and the cancel button keeps working.
    enum class enEnd { Running, Finished, Failed, Cancelled };
    enEnd end = enEnd::Running;
    QEventLoop loop;
    QTimer turn;
    turn.setInterval(0);
    connect(&progress, &QProgressDialog::canceled, &loop, [&] {
        end = enEnd::Cancelled;
        loop.quit();
    });
    connect(&turn, &QTimer::timeout, &loop, [&] {
        const long long before = exporter.Written();
        if (!exporter.Step(kExportRowsPerTurn)) {
            end = enEnd::Failed;
        } else if (exporter.Done() || exporter.Written() == before) {
            end = enEnd::Finished;
        } else {
            progress.setLabelText(QStringLiteral("正在导出记录... %1 条").arg(exporter.Written()));
            return;
        }
        loop.quit();
    });
    turn.start();
    loop.exec();
    turn.stop();
    progress.reset();

    if (end == enEnd::Cancelled) {
        exporter.Cancel();
    } else if (end == enEnd::Failed || !exporter.Finish()) {
        console::MessageBox(this, QStringLiteral("导出记录失败：") + exporter.ErrorText());
    } else {
        console::MessageBox(this, QStringLiteral("已导出%1条记录").arg(exporter.Written()));
    }
}
