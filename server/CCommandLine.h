#pragma once
// "--name value" options of the reference servers, with a --help text.

#include <chrono>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct tagServerLimits;

class CCommandLine {
public:
    struct tagOption {
        std::string name;  // without the dashes
        std::string value; // placeholder shown in the help text; empty for a flag without value
        std::string help;
    };

    CCommandLine(std::string program, std::string summary, std::vector<tagOption> options);

    // False on an unknown option or a missing value (after printing why and
    // the usage to standard error), and for --help (after printing the usage
    // to standard output); `exitCode` tells which.
    bool Parse(int argc, char** argv, int& exitCode);

    std::optional<std::string> Get(const std::string& name) const;
    bool Has(const std::string& name) const { return Get(name).has_value(); }
    std::string Get(const std::string& name, const std::string& fallback) const;
    // False (and a message) when the value is not a whole number in range.
    bool GetNumber(const std::string& name, unsigned long min, unsigned long max, unsigned long& out) const;
    // The options every server shares: time-outs, client caps and workers.
    bool GetLimits(tagServerLimits& limits) const;
    void PrintUsage(std::FILE* to) const;

    // The help text names the server's own defaults.
    static std::vector<tagOption> CommonOptions(const tagServerLimits& defaults);

private:
    std::string m_program;
    std::string m_summary;
    std::vector<tagOption> m_options;
    std::map<std::string, std::string> m_values;
};
