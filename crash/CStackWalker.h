#pragma once
// Walks the crashed thread's stack from the registers of the signal context,
// reading the crashed process from outside, and writes the two stack
// sections: frames with symbol and source line, then again with the
// parameters and local variables of each frame.

#include "crash/CProcessMemory.h"
#include "crash/CrashRequest.h"
#include "crash/DwarfLocation.h"

#include <elfutils/libdwfl.h>
#include <optional>
#include <string>
#include <vector>

class CLogWriter;

class CStackWalker {
public:
    explicit CStackWalker(const tagCrashRequest& req);
    ~CStackWalker();
    CStackWalker(const CStackWalker&) = delete;
    CStackWalker& operator=(const CStackWalker&) = delete;

    // Path of the module mapped at `addr`, empty when there is none.
    std::string ModulePath(std::uint64_t addr);
    void WriteStack(CLogWriter& w, bool withVariables);

private:
    struct tagFrame {
        std::uint64_t nPc = 0;
        bool bActivation = false; // the interrupted instruction itself, not a return address
        tagRegisterSet regs;
    };

    static pid_t NextThread(Dwfl* dwfl, void* arg, void** threadArg);
    static bool GetThread(Dwfl* dwfl, pid_t tid, void* arg, void** threadArg);
    static bool MemoryRead(Dwfl* dwfl, Dwarf_Addr addr, Dwarf_Word* result, void* arg);
    static bool SetInitialRegisters(Dwfl_Thread* thread, void* threadArg);
    static int OnFrame(Dwfl_Frame* state, void* arg);

    void Unwind();
    static Dwarf_Addr ProgramCounter(const tagFrame& frame);
    Dwfl_Module* ModuleAt(Dwarf_Addr addr);
    std::optional<std::uint64_t> CanonicalFrameAddress(std::size_t index, Dwfl_Module* module, Dwarf_Addr pc);

    const tagCrashRequest& m_req;
    CProcessMemory m_memory;
    Dwfl* m_pDwfl = nullptr;
    std::vector<tagFrame> m_frames;
    std::vector<std::optional<std::uint64_t>> m_cfas;
};
