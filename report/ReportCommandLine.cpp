#include "report/ReportCommandLine.h"

namespace report {
namespace {

// The text between the '{' at or after `from` and the next '}'; `from` moves
// past that '}'. Empty (and `from` at the end) when either brace is missing.
std::string NextBraced(std::string_view line, std::size_t& from) {
    const std::size_t open = line.find('{', from);
    const std::size_t close = open == std::string_view::npos ? open : line.find('}', open + 1);
    if (close == std::string_view::npos) {
        from = line.size();
        return {};
    }
    from = close + 1;
    return std::string(line.substr(open + 1, close - open - 1));
}

} // namespace

std::string JoinWithBlanks(int argc, const char* const* argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            line += ' ';
        line += argv[i];
    }
    return line;
}

tagReportArgs ParseReportCommandLine(std::string_view commandLine) {
    tagReportArgs args;
    std::size_t from = 0;
    args.strProgram = NextBraced(commandLine, from);
    args.strLogFile = NextBraced(commandLine, from);
    return args;
}

} // namespace report
