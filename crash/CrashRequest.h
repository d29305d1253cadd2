#pragma once
// What the signal handler hands to the writer process. Everything is copied
// out of the signal frame into this plain record, so the writer never has to
// trust the crashed process's own data structures.

#include <cstdint>
#include <ucontext.h>

struct tagCrashRequest {
    std::int32_t nPid; // crashed process
    std::int32_t nTid; // crashing thread
    std::int32_t nSignal;
    std::int32_t nSigCode;    // siginfo si_code
    std::uint32_t nCode;      // exception code written to the log
    std::uint32_t nUcFlags;   // ucontext uc_flags (tells whether SS was saved)
    std::uint64_t nFaultAddr; // siginfo si_addr
    std::int64_t nTimeSec;    // wall-clock time of the crash (CLOCK_REALTIME)
    std::int64_t nUtcOffset;  // local-time offset seen at install, for the fallback log
    greg_t gregs[NGREG];      // general registers of the interrupted context
};

// The writer's answers: the log file name it chose from the local time, then
// whether it completed the log in the file descriptor it was given.
struct tagCrashNameReply {
    char szName[64];
};

struct tagCrashDoneReply {
    std::int32_t nComplete;
};

// Register values in DWARF numbering for x86-64: rax, rdx, rcx, rbx, rsi, rdi,
// rbp, rsp, r8..r15, then the return-address column (rip).
inline constexpr int kDwarfRegCount = 17;
inline constexpr int kDwarfRegSp = 7;
inline constexpr int kDwarfRegBp = 6;

void DwarfRegistersOf(const tagCrashRequest& req, std::uint64_t (&regs)[kDwarfRegCount]) noexcept;
