#pragma once
// The report sender's command line: "WarrowReport {program}{log file}", as the
// crash handler of a crashed program writes it.

#include <string>
#include <string_view>

namespace report {

struct tagReportArgs {
    std::string strProgram; // base name of the crashed program
    std::string strLogFile; // the crash log's name in the current folder
};

// The program's arguments joined with single blanks and no quoting, so values
// that a shell or a launcher split at their blanks read as one command line
// again (unlike platform::QuoteArguments, which quotes so words split back).
std::string JoinWithBlanks(int argc, const char* const* argv);

// The first value lies between the first '{' and the next '}', the second
// between the next '{' after that and the '}' following it. A value whose
// braces are missing stays empty; so do both without any '{'.
tagReportArgs ParseReportCommandLine(std::string_view commandLine);

} // namespace report
