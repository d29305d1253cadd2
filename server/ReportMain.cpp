// warrow-reportd: the report server the crash-report sender delivers to.

#include "server/CCommandLine.h"
#include "server/CReportServer.h"

#include <cstdio>

int main(int argc, char** argv) {
    std::vector<CCommandLine::tagOption> options = {
        {"listen", "ADDRESS", "numeric address to listen on (default 127.0.0.1)"},
        {"port", "N", "TCP port (default 18010; 0 picks a free one)"},
        {"store", "DIR", "folder that receives one sub-folder per report (required)"},
    };
    for (auto& o : CCommandLine::CommonOptions())
        options.push_back(o);
    CCommandLine args("warrow-reportd",
                      "Report server of Warrow: stores the crash reports the programs send.", options);
    int exitCode = 0;
    if (!args.Parse(argc, argv, exitCode))
        return exitCode;

    unsigned long port = 18010;
    tagServerLimits limits;
    limits.idleTimeout = std::chrono::seconds(1800); // the user writes a description first
    if (!args.Get("store")) {
        std::fputs("warrow-reportd: --store is required (see --help)\n", stderr);
        return 2;
    }
    if (!args.GetNumber("port", 0, 65535, port) || !args.GetLimits(limits))
        return 2;

    CReportStore store;
    std::string error;
    if (!store.Open(*args.Get("store"), error)) {
        std::fprintf(stderr, "warrow-reportd: cannot use %s: %s\n", args.Get("store")->c_str(),
                     error.c_str());
        return 1;
    }
    CReportServer server(store, limits);
    if (!server.Listen(args.Get("listen", "127.0.0.1"), static_cast<unsigned short>(port)))
        return 1;
    return server.Run();
}
