#include "server/CCommandLine.h"

#include "server/CFrameServer.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

CCommandLine::CCommandLine(std::string program, std::string summary, std::vector<tagOption> options)
    : m_program(std::move(program)), m_summary(std::move(summary)), m_options(std::move(options)) {}

std::vector<CCommandLine::tagOption> CCommandLine::CommonOptions(const tagServerLimits& defaults) {
    return {
        {"idle-timeout", "SECONDS",
         "close a client that sends no complete frame for this long (default " +
             std::to_string(defaults.idleTimeout.count()) + ")"},
        {"frame-timeout", "SECONDS",
         "close a client whose frame, or whose unread answer, is pending this long (default 30)"},
        {"first-byte-timeout", "SECONDS",
         "close a new client that sends nothing for this long (default " +
             std::to_string(defaults.firstByteTimeout.count()) +
             "; 10 when over half the client slots are taken)"},
        {"max-clients", "N", "refuse clients beyond this many at once (default 20000)"},
        {"max-per-address", "N", "refuse clients beyond this many at once from one address (default 256)"},
        {"workers", "N",
         "threads for database calls and file writes (default " + std::to_string(defaults.workers) + ")"},
    };
}

void CCommandLine::PrintUsage(std::FILE* to) const {
    std::fprintf(to, "Usage: %s [options]\n%s\n\nOptions:\n", m_program.c_str(), m_summary.c_str());
    for (const tagOption& o : m_options) {
        const std::string left = "--" + o.name + (o.value.empty() ? "" : " " + o.value);
        std::fprintf(to, "  %-28s %s\n", left.c_str(), o.help.c_str());
    }
    std::fprintf(to, "  %-28s %s\n", "--help", "show this text");
}

bool CCommandLine::Parse(int argc, char** argv, int& exitCode) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            PrintUsage(stdout);
            exitCode = 0;
            return false;
        }
        const tagOption* option = nullptr;
        for (const tagOption& o : m_options)
            if (arg == "--" + o.name)
                option = &o;
        if (option != nullptr && option->value.empty()) {
            m_values[arg.substr(2)] = "yes"; // a flag
            continue;
        }
        const bool known = option != nullptr;
        if (!known || i + 1 >= argc) {
            std::fprintf(stderr, "%s: %s '%s'\n\n", m_program.c_str(),
                         known ? "missing value for" : "unknown option", arg.c_str());
            PrintUsage(stderr);
            exitCode = 2;
            return false;
        }
        m_values[arg.substr(2)] = argv[++i];
    }
    return true;
}

std::optional<std::string> CCommandLine::Get(const std::string& name) const {
    const auto it = m_values.find(name);
    if (it == m_values.end())
        return std::nullopt;
    return it->second;
}

std::string CCommandLine::Get(const std::string& name, const std::string& fallback) const {
    return Get(name).value_or(fallback);
}

bool CCommandLine::GetNumber(const std::string& name, unsigned long min, unsigned long max,
                             unsigned long& out) const {
    const auto text = Get(name);
    if (!text)
        return true; // keeps the caller's default
    char* end = nullptr;
    errno = 0;
    const unsigned long value = std::strtoul(text->c_str(), &end, 10);
    if (text->empty() || *end != '\0' || errno != 0 || (*text)[0] == '-' || value < min || value > max) {
        std::fprintf(stderr, "%s: --%s wants a number from %lu to %lu, not '%s'\n", m_program.c_str(),
                     name.c_str(), min, max, text->c_str());
        return false;
    }
    out = value;
    return true;
}

bool CCommandLine::GetLimits(tagServerLimits& limits) const {
    unsigned long idle = static_cast<unsigned long>(limits.idleTimeout.count());
    unsigned long frame = static_cast<unsigned long>(limits.frameTimeout.count());
    unsigned long first = static_cast<unsigned long>(limits.firstByteTimeout.count());
    unsigned long clients = limits.maxClients;
    unsigned long perAddress = limits.maxPerAddress;
    unsigned long workers = limits.workers;
    if (!GetNumber("idle-timeout", 1, 86400, idle) || !GetNumber("frame-timeout", 1, 3600, frame) ||
        !GetNumber("first-byte-timeout", 1, 3600, first) || !GetNumber("max-clients", 1, 1000000, clients) ||
        !GetNumber("max-per-address", 1, 1000000, perAddress) || !GetNumber("workers", 1, 64, workers))
        return false;
    limits.idleTimeout = std::chrono::seconds(idle);
    limits.frameTimeout = std::chrono::seconds(frame);
    limits.firstByteTimeout = std::chrono::seconds(first);
    limits.maxClients = clients;
    limits.maxPerAddress = perAddress;
    limits.workers = static_cast<unsigned>(workers);
    return true;
}
