// WarrowUpdate: fetches the newest package of the suite from the fastest
// update server and opens it with the desktop's handler, which installs it.
//   WarrowUpdate [Warrow][1_0_0_5] [-b]
#include "update/CWarrowUpdateApp.h"
#include "update/UpdateCommandLine.h"

#include <QApplication>

int main(int argc, char** argv) {
    // Read before Qt takes its own options out of argv.
    const std::string commandLine = update::JoinArguments(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("WarrowUpdate"));
    CWarrowUpdateApp update;
    return update.InitInstance(commandLine);
}
