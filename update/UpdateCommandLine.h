#pragma once
// The updater's command line, as the parent console writes it:
//   WarrowUpdate [Warrow][1_0_0_5]        (the window shows)
//   WarrowUpdate [Warrow][1_0_0_5] -b     (background: no server choice, a log file)

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace update {

struct tagUpdateArgs {
    std::string strBaseName;    // the program's file name without its extension: "Warrow"
    std::uint64_t nVersion = 0; // the installed version, packed
    bool bBackground = false;
};

// The program's arguments joined with single blanks, so a line that a shell
// or a launcher split at its blanks reads as one command line again.
std::string JoinArguments(int argc, const char* const* argv);

// The program file name lies between the first '[' and the next ']', the
// version between the next '[' and ']' after it; "-b" anywhere asks for the
// background mode. Empty when either bracket pair is missing or the name is
// not one plain file name (it names the version list on the server).
std::optional<tagUpdateArgs> ParseUpdateCommandLine(std::string_view line);

} // namespace update
