// WarrowSvc: the system service that starts the child shell or the parent
// console for the person at the computer.
#include "crash/CrashHandler.h"
#include "service/CWarrowService.h"
#include "service/ServiceInstaller.h"

#include <cctype>
#include <cstdlib>
#include <string>

namespace {

// systemd gives every unit it starts an invocation id.
bool StartedByServiceManager() {
    return std::getenv("INVOCATION_ID") != nullptr;
}

} // namespace

int main(int argc, char** argv) {
    // No report callback: nobody sits at a service to send a report.
    InstallCrashHandler();
    CWarrowService service;

    if (argc > 1) {
        std::string command = argv[1];
        if (!command.empty() && command[0] == '-') {
            command[0] = '/';
        }
        for (char& c : command) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        if (command == "/install") {
            return service::Install(service.Name(), argc > 2 ? argv[2] : nullptr) ? 0 : 1;
        }
        if (command == "/uninstall") {
            return service::Uninstall(service.Name()) ? 0 : 1;
        }
    }

    LogEvent("%s is starting.... please wait", service.Name());
    return StartedByServiceManager() ? service.ServiceMain() : service.RunInForeground();
}
