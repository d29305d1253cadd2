// WarrowReport: sends the crash log of a crashed program of the suite, with
// the user's description, to the report server, and deletes the log.
#include "report/CWarrowReportApp.h"

#include <QApplication>

int main(int argc, char** argv) {
    // Read before Qt takes its own options out of argv.
    const report::tagReportArgs args = report::ParseReportCommandLine(report::JoinWithBlanks(argc, argv));
    QApplication app(argc, argv);
    CWarrowReportApp report;
    if (!report.InitInstance(args)) {
        report.ExitInstance(); // no report server: end silently, the log stays
        return 1;
    }
    const int result = QApplication::exec();
    report.ExitInstance();
    return result;
}
