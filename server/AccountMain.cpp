// warrow-accountd: the account server the parent console logs in to.

#include "server/CAccountServer.h"
#include "server/CCommandLine.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    std::vector<CCommandLine::tagOption> options = {
        {"listen", "ADDRESS", "numeric address to listen on (default 127.0.0.1)"},
        {"port", "N", "TCP port, required (18000 in the examples; 0 picks a free one)"},
        {"db", "FILE", "account database, created when missing (required)"},
        {"current-version", "A_B_C_D", "clients older than this are told of a new version (default 0_0_0_0)"},
    };
    for (auto& o : CCommandLine::CommonOptions())
        options.push_back(o);
    CCommandLine args("warrow-accountd",
                      "Account server of Warrow: logins, new accounts and help requests.\n"
                      "Set WARROW_ACCOUNTD_KEY to encrypt the database with that key.",
                      options);
    int exitCode = 0;
    if (!args.Parse(argc, argv, exitCode))
        return exitCode;

    unsigned long port = 0;
    std::uint64_t version = 0;
    tagServerLimits limits;
    if (!args.Get("port") || !args.Get("db")) {
        std::fputs("warrow-accountd: --port and --db are required (see --help)\n", stderr);
        return 2;
    }
    if (!args.GetNumber("port", 0, 65535, port) || !args.GetLimits(limits))
        return 2;
    if (!ParseVersionText(args.Get("current-version", "0_0_0_0"), version)) {
        std::fputs("warrow-accountd: --current-version wants four numbers like 1_2_3_4\n", stderr);
        return 2;
    }

    CAccountStore store;
    std::string error;
    const char* key = std::getenv("WARROW_ACCOUNTD_KEY");
    if (!store.Open(*args.Get("db"), key != nullptr ? key : "", error)) {
        std::fprintf(stderr, "warrow-accountd: cannot open %s: %s\n", args.Get("db")->c_str(), error.c_str());
        return 1;
    }
    CAccountServer server(store, version, limits);
    if (!server.Listen(args.Get("listen", "127.0.0.1"), static_cast<unsigned short>(port)))
        return 1;
    return server.Run();
}
