#pragma once
// The crash log named on the command line: read for the report, deleted at
// the end. Only a plain file directly in the current folder (the
// installation folder, where crashed programs write their logs) is ever read
// or deleted, so a command line cannot make the sender send or remove any
// other file.

#include <cstdint>
#include <string>
#include <string_view>

namespace report {

struct tagCrashLog {
    bool bRead = false;          // the file was opened and read
    std::uint64_t nFileSize = 0; // its length in bytes
    // The file's bytes as they are on disk. A file too large to ever be sent
    // whole is held as its first and last part only; strTail is empty otherwise.
    std::string strHead;
    std::string strTail;
};

// A log larger than this is held as its first and last kLogPartBytes only.
// Nothing beyond what a report can carry expanded (1 MiB) is ever needed.
inline constexpr std::uint64_t kLogPartBytes = 1u << 20;
inline constexpr std::uint64_t kLogWholeLimit = 2 * kLogPartBytes;

// A bare file name: not empty, no '/', not "." or "..".
bool IsSafeLogName(std::string_view name);

// Reads the log; bRead stays false for an unsafe name, a missing or
// unreadable file, or anything but a regular file (links are not followed).
tagCrashLog ReadCrashLog(const std::string& name);

// Removes the log; false when the name is unsafe or nothing was removed.
bool DeleteCrashLog(const std::string& name);

// The bytes as a text-mode read delivers them: each CR LF becomes one LF.
// Every other byte (a lone CR, a Ctrl-Z) arrives as it is.
std::string ToTextMode(std::string_view raw);

} // namespace report
