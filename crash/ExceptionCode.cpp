#include "crash/ExceptionCode.h"

#include <csignal>

namespace {

// A fault within this distance of the stack pointer is a stack overflow: a
// frame that does not fit touches the guard page just below the stack.
constexpr std::uint64_t kStackGuardReach = 64 * 1024;

struct tagExceptionName {
    std::uint32_t nCode;
    const char* pszName;
};

constexpr tagExceptionName kNames[] = {
    {0xC0000005, "EXCEPTION_ACCESS_VIOLATION"},
    {0x80000002, "EXCEPTION_DATATYPE_MISALIGNMENT"},
    {0x80000003, "EXCEPTION_BREAKPOINT"},
    {0x80000004, "EXCEPTION_SINGLE_STEP"},
    {0xC0000006, "EXCEPTION_IN_PAGE_ERROR"},
    {0xC000001D, "EXCEPTION_ILLEGAL_INSTRUCTION"},
    {0xC0000025, "EXCEPTION_NONCONTINUABLE_EXCEPTION"},
    {0xC0000026, "EXCEPTION_INVALID_DISPOSITION"},
    {0xC000008C, "EXCEPTION_ARRAY_BOUNDS_EXCEEDED"},
    {0xC000008D, "EXCEPTION_FLT_DENORMAL_OPERAND"},
    {0xC000008E, "EXCEPTION_FLT_DIVIDE_BY_ZERO"},
    {0xC000008F, "EXCEPTION_FLT_INEXACT_RESULT"},
    {0xC0000090, "EXCEPTION_FLT_INVALID_OPERATION"},
    {0xC0000091, "EXCEPTION_FLT_OVERFLOW"},
    {0xC0000092, "EXCEPTION_FLT_STACK_CHECK"},
    {0xC0000093, "EXCEPTION_FLT_UNDERFLOW"},
    {0xC0000094, "EXCEPTION_INT_DIVIDE_BY_ZERO"},
    {0xC0000095, "EXCEPTION_INT_OVERFLOW"},
    {0xC0000096, "EXCEPTION_PRIV_INSTRUCTION"},
    {0xE06D7363, "EXCEPTION_MSVCPP"},
};

std::uint32_t FloatingPointCode(int siCode) noexcept {
    switch (siCode) {
    case FPE_INTOVF:
        return 0xC0000095;
    case FPE_FLTDIV:
        return 0xC000008E;
    case FPE_FLTOVF:
        return 0xC0000091;
    case FPE_FLTUND:
        return 0xC0000093;
    case FPE_FLTRES:
        return 0xC000008F;
    case FPE_FLTINV:
        return 0xC0000090;
    case FPE_FLTSUB:
        return 0xC000008C;
    default:
        return kExceptionIntDivideByZero;
    }
}

} // namespace

std::uint32_t ExceptionCodeOf(int signo, int siCode, std::uint64_t faultAddr, std::uint64_t sp) noexcept {
    switch (signo) {
    case SIGSEGV: {
        const bool kernelFault = siCode > 0;
        const std::uint64_t distance = faultAddr > sp ? faultAddr - sp : sp - faultAddr;
        return kernelFault && distance < kStackGuardReach ? kExceptionStackOverflow
                                                          : kExceptionAccessViolation;
    }
    case SIGFPE:
        return FloatingPointCode(siCode);
    case SIGILL:
        return siCode == ILL_PRVOPC || siCode == ILL_PRVREG ? 0xC0000096 : kExceptionIllegalInstruction;
    case SIGBUS:
        return kExceptionMisalignment;
    case SIGTRAP:
        return siCode == TRAP_TRACE ? 0x80000004 : kExceptionBreakpoint;
    case SIGABRT:
        return kExceptionFatalAppExit;
    default:
        return kExceptionFatalAppExit;
    }
}

const char* ExceptionName(std::uint32_t code) noexcept {
    for (const tagExceptionName& entry : kNames)
        if (entry.nCode == code)
            return entry.pszName;
    return "未知异常";
}
