#pragma once
// The parts of the crash log that both writers produce: the writer process
// for the full log and the signal handler for the fallback log. Everything
// here is async-signal-safe: no allocation, no locale, no stdio.

#include "crash/CrashRequest.h"

#include <cstddef>
#include <cstdint>

class CLogWriter;

struct tagCivilTime {
    int nYear, nMonth, nDay, nHour, nMinute, nSecond;
};

// Broken-down time of `seconds` since the epoch, already shifted to local time.
tagCivilTime CivilTimeOf(std::int64_t seconds) noexcept;

// "crash[YYYY-MM-DD( hh.mm.ss )].Txt"
inline constexpr std::size_t kLogNameSize = 64;
void FormatLogFileName(char (&name)[kLogNameSize], const tagCivilTime& time) noexcept;

// The module column shows the module's path; a path too long for the column
// (63 bytes) is replaced by its base name, which is the part that matters.
inline constexpr std::size_t kModuleNameSize = 64;
void ModuleDisplayName(const char* path, char (&out)[kModuleNameSize]) noexcept;

void WriteLogHeader(CLogWriter& w) noexcept;
void WriteSystemSectionTitle(CLogWriter& w) noexcept;
void WriteSystemSectionEnd(CLogWriter& w) noexcept;
void WriteExceptionSection(CLogWriter& w, const tagCrashRequest& req, const tagCivilTime& time,
                           const char* module) noexcept;
void WriteRegisterSection(CLogWriter& w, const tagCrashRequest& req) noexcept;
void WriteStackSectionStart(CLogWriter& w, bool withVariables) noexcept;
void WriteStackSectionEnd(CLogWriter& w) noexcept;
void WriteGlobalSection(CLogWriter& w) noexcept;

// One frame line without its "\n": "%3d\t", then program counter, frame
// address and the function name padded with 32 - length / 31 blanks when the
// symbol is known, then "file, 第N行" when the source line is known.
void WriteFrameLine(CLogWriter& w, int number, const char* function, std::uint64_t pc, std::uint64_t frame,
                    const char* file, unsigned line) noexcept;
