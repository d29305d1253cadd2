#include "report/CWarrowReportApp.h"

#include "core/CWarrowCoreInterface.h"
#include "report/CWarrowReportDlg.h"
#include "report/CrashLogFile.h"
#include "report/ReportBuilder.h"
#include "report/ReportConnection.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QTimer>

#include <cstdlib>

CWarrowReportApp::CWarrowReportApp() {
    m_client.SetHandler(this);
    // The receive thread only wakes this thread; the messages are delivered here.
    m_client.SetWakeup([this] {
        QMetaObject::invokeMethod(
            this, [this] { m_client.ProcessMessages(); }, Qt::QueuedConnection);
    });
}

CWarrowReportApp::~CWarrowReportApp() {
    m_client.SetWakeup(nullptr);
    m_client.SetHandler(nullptr);
    m_client.Close(true);
}

bool CWarrowReportApp::InitInstance(const report::tagReportArgs& args) {
    m_args = args;
    CWarrowCoreInterface* core = CWarrowCoreInterface::Get();
    if (core == nullptr || !core->Init(kDataBasePath, kDataBasePassword, nullptr) ||
        core->GetWRControl() == nullptr)
        return false;
    m_strHost = core->GetWRControl()->GetConfig().Ip;
    m_nPort = report::ReportPort(std::getenv(report::kPortVariable));
    if (!m_client.Connect(m_strHost.c_str(), m_nPort))
        return false;

    m_pDlg = std::make_unique<CWarrowReportDlg>();
    m_pDlg->SetProgram(QString::fromStdString(m_args.strProgram));
    m_pDlg->SetOnSend([this] { OnSend(); });
    connect(m_pDlg.get(), &QDialog::finished, QCoreApplication::instance(), &QCoreApplication::quit);
    m_pDlg->show();
    ApplyTestSeam();
    return true;
}

void CWarrowReportApp::ExitInstance() {
    if (m_pDlg)
        report::DeleteCrashLog(m_args.strLogFile);
    m_pDlg.reset();
    CWarrowCoreInterface::Free();
}

void CWarrowReportApp::OnSend() {
    CWarrowCoreInterface* core = CWarrowCoreInterface::Get();
    if (core == nullptr || core->GetDBConfig() == nullptr)
        return;
    user_report_message::tagReportRequest fields;
    fields.nAccount = static_cast<std::uint32_t>(core->GetDBConfig()->GetInfo().ID);
    fields.strDescription = m_pDlg->GetDescription().toStdString();
    fields.strProgram = m_args.strProgram;
    fields.strLogFile = m_args.strLogFile;
    const report::tagBuiltReport built = report::BuildReport(fields, report::ReadCrashLog(m_args.strLogFile));

    m_pDlg->EnableSend(false);
    // A report that could not go out leaves the button to the user again.
    if (!built.pMsg || !report::SendReport(m_client, *built.pMsg, m_strHost, m_nPort))
        m_pDlg->EnableSend(true);
}

void CWarrowReportApp::OnReportAnswer(user_report_message::CMSG_S2C_REPORT_ANSWER&) {
    if (m_pDlg)
        QMetaObject::invokeMethod(m_pDlg.get(), &QWidget::close, Qt::QueuedConnection);
}

void CWarrowReportApp::ApplyTestSeam() {
    if (const char* text = std::getenv(kAutoSendVariable)) {
        const QString description = QString::fromUtf8(text);
        QTimer::singleShot(0, m_pDlg.get(), [this, description] {
            m_pDlg->SetDescription(description);
            m_pDlg->SendButton()->click();
        });
    } else if (std::getenv(kAutoCloseVariable) != nullptr) {
        QTimer::singleShot(0, m_pDlg.get(), &QWidget::close);
    }
}
