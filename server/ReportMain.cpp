// warrow-reportd: the report server the crash-report sender delivers to.

#include "server/CCommandLine.h"
#include "server/CReportServer.h"

#include <cstdio>

int main(int argc, char** argv) {
    tagServerLimits limits;
    limits.idleTimeout = std::chrono::seconds(1800); // the user writes a description first
    limits.firstByteTimeout = limits.idleTimeout;
    limits.workers = 2;
    std::vector<CCommandLine::tagOption> options = {
        {"listen", "ADDRESS", "numeric address to listen on (default 127.0.0.1)"},
        {"port", "N", "TCP port (default 18010; 0 picks a free one)"},
        {"store", "DIR", "folder that receives one sub-folder per report (required)"},
        {"reports-per-minute", "N",
         "reports per address and minute after a burst of 20 (default 6; 0: no limit)"},
        {"max-log-bytes", "N", "refuse a crash log longer than this (default 1048576)"},
        {"max-store-mb", "N", "refuse reports once the store holds this many MiB (default 10240)"},
        {"min-free-mb", "N", "refuse reports that would leave less free space on the disk (default 1024)"},
    };
    for (auto& o : CCommandLine::CommonOptions(limits))
        options.push_back(o);
    CCommandLine args("warrow-reportd",
                      "Report server of Warrow: stores the crash reports the programs send.", options);
    int exitCode = 0;
    if (!args.Parse(argc, argv, exitCode))
        return exitCode;

    unsigned long port = 18010;
    if (!args.Get("store")) {
        std::fputs("warrow-reportd: --store is required (see --help)\n", stderr);
        return 2;
    }
    tagReportLimits reportLimits;
    tagStoreLimits storeLimits;
    unsigned long perMinute = static_cast<unsigned long>(reportLimits.reportsPerMinute);
    unsigned long maxLog = reportLimits.maxLogBytes;
    unsigned long maxStoreMb = static_cast<unsigned long>(storeLimits.maxStoreBytes >> 20);
    unsigned long minFreeMb = static_cast<unsigned long>(storeLimits.minFreeBytes >> 20);
    if (!args.GetNumber("port", 0, 65535, port) || !args.GetLimits(limits) ||
        !args.GetNumber("reports-per-minute", 0, 1000000, perMinute) ||
        !args.GetNumber("max-log-bytes", 0, 1 << 20, maxLog) ||
        !args.GetNumber("max-store-mb", 0, 1ul << 30, maxStoreMb) ||
        !args.GetNumber("min-free-mb", 0, 1ul << 30, minFreeMb))
        return 2;
    reportLimits.reportsPerMinute = static_cast<double>(perMinute);
    reportLimits.maxLogBytes = maxLog;
    storeLimits.maxStoreBytes = static_cast<std::uint64_t>(maxStoreMb) << 20;
    storeLimits.minFreeBytes = static_cast<std::uint64_t>(minFreeMb) << 20;

    CReportStore store;
    std::string error;
    if (!store.Open(*args.Get("store"), storeLimits, error)) {
        std::fprintf(stderr, "warrow-reportd: cannot use %s: %s\n", args.Get("store")->c_str(),
                     error.c_str());
        return 1;
    }
    CReportServer server(store, limits, reportLimits);
    if (!server.Listen(args.Get("listen", "127.0.0.1"), static_cast<unsigned short>(port)))
        return 1;
    return server.Run();
}
