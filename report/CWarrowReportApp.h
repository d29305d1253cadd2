#pragma once
// The report sender's application object: it owns the connection to the
// report server (whose receive thread runs from the start) and the dialog.

#include "net/CSocketReportClient.h"
#include "report/ReportCommandLine.h"

#include <QObject>

#include <memory>
#include <string>

class CWarrowReportDlg;

class CWarrowReportApp : public QObject, public user_report_message::IReportMessageHandler {
public:
    // For tests and automation only: a dialog that presses its send button
    // with this variable's value as the description as soon as it shows ...
    static constexpr const char* kAutoSendVariable = "WARROW_REPORT_AUTOSEND";
    // ... or that is closed as soon as it shows.
    static constexpr const char* kAutoCloseVariable = "WARROW_REPORT_AUTOCLOSE";

    CWarrowReportApp();
    ~CWarrowReportApp() override;

    // Opens the settings, connects to the report server and shows the
    // dialog. False, showing nothing, when the server cannot be reached.
    bool InitInstance(const report::tagReportArgs& args);
    // Deletes the log once the dialog has been shown, sent or not.
    void ExitInstance();

    CWarrowReportDlg* GetDialog() const { return m_pDlg.get(); }

private:
    void OnSend();
    void OnReportAnswer(user_report_message::CMSG_S2C_REPORT_ANSWER& msg) override;
    void ApplyTestSeam();

    CSocketReportClient m_client;
    report::tagReportArgs m_args;
    std::string m_strHost;
    unsigned short m_nPort = 0;
    std::unique_ptr<CWarrowReportDlg> m_pDlg;
};
