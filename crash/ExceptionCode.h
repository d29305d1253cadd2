#pragma once
// The log keeps the Windows exception codes, so reports from every program
// read the same way. These functions translate a POSIX signal into one.

#include <cstdint>

inline constexpr std::uint32_t kExceptionAccessViolation = 0xC0000005;
inline constexpr std::uint32_t kExceptionStackOverflow = 0xC00000FD;
inline constexpr std::uint32_t kExceptionIntDivideByZero = 0xC0000094;
inline constexpr std::uint32_t kExceptionIllegalInstruction = 0xC000001D;
inline constexpr std::uint32_t kExceptionMisalignment = 0x80000002;
inline constexpr std::uint32_t kExceptionBreakpoint = 0x80000003;
// abort() has no structured-exception code of its own; the fatal-application
// exit status is the closest Windows name for it.
inline constexpr std::uint32_t kExceptionFatalAppExit = 0x40000015;

// `sp` is the stack pointer of the interrupted context: a segmentation fault
// just beside it means the thread ran into its stack guard.
std::uint32_t ExceptionCodeOf(int signo, int siCode, std::uint64_t faultAddr, std::uint64_t sp) noexcept;

// The name printed after "异常代码：", or "未知异常" for a code outside the table.
const char* ExceptionName(std::uint32_t code) noexcept;
