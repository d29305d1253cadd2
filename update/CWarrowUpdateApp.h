#pragma once
// One run of the updater: one instance per user, the command line, the
// server list and the choice of a server, then the update window.

#include <string_view>

class CWarrowUpdateApp {
public:
    // Exit statuses of the program.
    enum enExit { EXIT_UPDATED = 0, EXIT_NOT_UPDATED = 1, EXIT_NOT_STARTED = 2 };

    static constexpr const char* kServerList = "Update.ini";
    static constexpr const char* kInstanceName = "WarrowUpdate";

    // Runs the whole update on the calling thread's event loop, with the
    // arguments as one text ("[Warrow][1_0_0_5] -b").
    int InitInstance(std::string_view commandLine);
};
