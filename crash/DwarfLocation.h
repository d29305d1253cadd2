#pragma once
// Evaluates the DWARF location expressions that compilers emit for
// variables, frame bases and canonical frame addresses. Anything outside the
// common forms (pieces, entry values, thread-local storage) is "unavailable",
// which the log shows as an optimised-out value.

#include "crash/CrashRequest.h"

#include <cstddef>
#include <cstdint>
#include <elfutils/libdw.h>
#include <optional>

class CProcessMemory;

struct tagRegisterSet {
    std::uint64_t regs[kDwarfRegCount] = {};
    std::uint32_t nKnown = 0; // bit n: register n holds a value in this frame

    bool Get(std::uint64_t reg, std::uint64_t& value) const noexcept {
        if (reg >= kDwarfRegCount || (nKnown & (1u << reg)) == 0)
            return false;
        value = regs[reg];
        return true;
    }
};

struct tagEvalContext {
    const tagRegisterSet* pRegs = nullptr;
    CProcessMemory* pMemory = nullptr;
    std::optional<std::uint64_t> cfa;
    std::optional<std::uint64_t> frameBase;
    std::uint64_t nBias = 0; // load bias of the module, added to DW_OP_addr
};

struct tagLocation {
    enum enKind { None, Memory, Register, Value };
    enKind nKind = None;
    std::uint64_t nValue = 0; // address, register number or the value itself
};

tagLocation EvaluateLocation(const Dwarf_Op* ops, std::size_t count, const tagEvalContext& ctx);
