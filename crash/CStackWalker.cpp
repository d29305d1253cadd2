#include "crash/CStackWalker.h"

#include "crash/CLogWriter.h"
#include "crash/FrameVariables.h"
#include "crash/LogSections.h"

#include <cstdlib>
#include <cxxabi.h>
#include <filesystem>
#include <memory>

namespace {

// A unit compiled with a relative source name (as ccache and some build
// folders do) keeps its folder in DW_AT_comp_dir: the log names the file in
// full, so it can be found whatever folder the log is read in.
std::string SourcePath(Dwfl_Line* source, const char* file) {
    if (file == nullptr) {
        return {};
    }
    if (file[0] == '/') {
        return file;
    }
    const char* folder = dwfl_line_comp_dir(source);
    if (folder == nullptr) {
        return file;
    }
    return (std::filesystem::path(folder) / file).lexically_normal().string();
}

// A runaway recursion has tens of thousands of frames; the top of the stack
// is what explains the crash, and the log must stay small enough to send.
constexpr std::size_t kMaxFrames = 256;
constexpr std::size_t kMaxSymbolName = 1024;

char* s_pszDebuginfoPath = nullptr;

const Dwfl_Callbacks kProcCallbacks = {
    dwfl_linux_proc_find_elf,
    dwfl_standard_find_debuginfo,
    nullptr,
    &s_pszDebuginfoPath,
};

std::string Demangled(const char* name) {
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> plain(abi::__cxa_demangle(name, nullptr, nullptr, &status),
                                                      &std::free);
    std::string text = status == 0 && plain ? plain.get() : name;
    if (text.size() > kMaxSymbolName)
        text.resize(kMaxSymbolName);
    return text;
}

} // namespace

CStackWalker::CStackWalker(const tagCrashRequest& req) : m_req(req), m_memory(req.nPid) {
    m_pDwfl = dwfl_begin(&kProcCallbacks);
    if (m_pDwfl != nullptr) {
        dwfl_report_begin(m_pDwfl);
        const int reported = dwfl_linux_proc_report(m_pDwfl, req.nPid);
        dwfl_report_end(m_pDwfl, nullptr, nullptr);
        if (reported == 0) {
            Unwind();
        } else {
            dwfl_end(m_pDwfl);
            m_pDwfl = nullptr;
        }
    }
    if (m_frames.empty()) {
        // No unwinding at all (no modules, no call-frame information): the
        // context itself is still the first frame.
        tagFrame frame;
        frame.nPc = static_cast<std::uint64_t>(m_req.gregs[REG_RIP]);
        frame.bActivation = true;
        DwarfRegistersOf(m_req, frame.regs.regs);
        frame.regs.nKnown = (1u << kDwarfRegCount) - 1;
        m_frames.push_back(frame);
    }
    for (std::size_t i = 0; i < m_frames.size(); ++i) {
        const Dwarf_Addr pc = ProgramCounter(m_frames[i]);
        m_cfas.push_back(CanonicalFrameAddress(i, ModuleAt(pc), pc));
    }
}

CStackWalker::~CStackWalker() {
    if (m_pDwfl != nullptr)
        dwfl_end(m_pDwfl);
}

pid_t CStackWalker::NextThread(Dwfl*, void* arg, void** threadArg) {
    // Only the crashing thread is walked; the others keep running.
    if (*threadArg != nullptr)
        return 0;
    *threadArg = arg;
    return static_cast<CStackWalker*>(arg)->m_req.nTid;
}

bool CStackWalker::GetThread(Dwfl*, pid_t tid, void* arg, void** threadArg) {
    if (tid != static_cast<CStackWalker*>(arg)->m_req.nTid)
        return false;
    *threadArg = arg;
    return true;
}

bool CStackWalker::MemoryRead(Dwfl*, Dwarf_Addr addr, Dwarf_Word* result, void* arg) {
    return static_cast<CStackWalker*>(arg)->m_memory.Read(addr, result, sizeof *result);
}

bool CStackWalker::SetInitialRegisters(Dwfl_Thread* thread, void* threadArg) {
    std::uint64_t regs[kDwarfRegCount];
    DwarfRegistersOf(static_cast<CStackWalker*>(threadArg)->m_req, regs);
    return dwfl_thread_state_registers(thread, 0, kDwarfRegCount, regs);
}

int CStackWalker::OnFrame(Dwfl_Frame* state, void* arg) {
    auto* self = static_cast<CStackWalker*>(arg);
    tagFrame frame;
    Dwarf_Addr pc = 0;
    if (!dwfl_frame_pc(state, &pc, &frame.bActivation) || pc == 0)
        return DWARF_CB_ABORT;
    frame.nPc = pc;
    for (unsigned reg = 0; reg < kDwarfRegCount; ++reg) {
        Dwarf_Word value = 0;
        if (dwfl_frame_reg(state, reg, &value) == 0) {
            frame.regs.regs[reg] = value;
            frame.regs.nKnown |= 1u << reg;
        }
    }
    self->m_frames.push_back(frame);
    return self->m_frames.size() < kMaxFrames ? DWARF_CB_OK : DWARF_CB_ABORT;
}

void CStackWalker::Unwind() {
    static const Dwfl_Thread_Callbacks kThreadCallbacks = {
        NextThread, GetThread, MemoryRead, SetInitialRegisters, nullptr, nullptr,
    };
    if (!dwfl_attach_state(m_pDwfl, nullptr, m_req.nPid, &kThreadCallbacks, this))
        return;
    // Ends with an error at the outermost frame on some systems: what was
    // collected until then is the stack.
    dwfl_getthread_frames(m_pDwfl, m_req.nTid, OnFrame, this);
}

Dwarf_Addr CStackWalker::ProgramCounter(const tagFrame& frame) {
    // A return address points after the call; the call itself is one byte back.
    return frame.bActivation ? frame.nPc : frame.nPc - 1;
}

Dwfl_Module* CStackWalker::ModuleAt(Dwarf_Addr addr) {
    return m_pDwfl != nullptr ? dwfl_addrmodule(m_pDwfl, addr) : nullptr;
}

std::optional<std::uint64_t> CStackWalker::CanonicalFrameAddress(std::size_t index, Dwfl_Module* module,
                                                                 Dwarf_Addr pc) {
    // The call-frame information says where the frame starts; without it the
    // caller's stack pointer, which the unwinder set to that address, does.
    Dwarf_Addr bias = 0;
    Dwarf_CFI* cfi = module != nullptr ? dwfl_module_eh_cfi(module, &bias) : nullptr;
    if (cfi == nullptr && module != nullptr)
        cfi = dwfl_module_dwarf_cfi(module, &bias);
    Dwarf_Frame* frame = nullptr;
    if (cfi != nullptr && dwarf_cfi_addrframe(cfi, pc - bias, &frame) == 0) {
        Dwarf_Op* ops = nullptr;
        std::size_t count = 0;
        std::optional<std::uint64_t> cfa;
        if (dwarf_frame_cfa(frame, &ops, &count) == 0) {
            tagEvalContext ctx;
            ctx.pRegs = &m_frames[index].regs;
            ctx.pMemory = &m_memory;
            const tagLocation location = EvaluateLocation(ops, count, ctx);
            if (location.nKind == tagLocation::Memory)
                cfa = location.nValue;
        }
        std::free(frame);
        if (cfa.has_value())
            return cfa;
    }
    std::uint64_t sp = 0;
    if (index + 1 < m_frames.size() && m_frames[index + 1].regs.Get(kDwarfRegSp, sp))
        return sp;
    return std::nullopt;
}

std::string CStackWalker::ModulePath(std::uint64_t addr) {
    Dwfl_Module* module = ModuleAt(addr);
    if (module == nullptr)
        return {};
    const char* name =
        dwfl_module_info(module, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    return name != nullptr ? name : "";
}

void CStackWalker::WriteStack(CLogWriter& w, bool withVariables) {
    WriteStackSectionStart(w, withVariables);
    for (std::size_t i = 0; i < m_frames.size(); ++i) {
        const tagFrame& frame = m_frames[i];
        const Dwarf_Addr pc = ProgramCounter(frame);
        Dwfl_Module* module = ModuleAt(pc);
        std::string function;
        const char* file = nullptr;
        std::string fileName;
        int line = 0;
        if (module != nullptr) {
            GElf_Off offset = 0;
            GElf_Sym symbol;
            if (const char* name =
                    dwfl_module_addrinfo(module, pc, &offset, &symbol, nullptr, nullptr, nullptr))
                function = Demangled(name);
            if (Dwfl_Line* source = dwfl_module_getsrc(module, pc)) {
                fileName =
                    SourcePath(source, dwfl_lineinfo(source, nullptr, &line, nullptr, nullptr, nullptr));
                file = fileName.empty() ? nullptr : fileName.c_str();
            }
        }
        std::uint64_t sp = 0;
        const std::uint64_t frameAddress = m_cfas[i].value_or(frame.regs.Get(kDwarfRegSp, sp) ? sp : 0);
        WriteFrameLine(w, static_cast<int>(i + 1), function.empty() ? nullptr : function.c_str(), frame.nPc,
                       frameAddress, file, static_cast<unsigned>(line));
        w.Text("\n");
        if (withVariables && module != nullptr &&
            WriteFrameVariables(w, module, pc, frame.regs, m_cfas[i], m_memory))
            w.Text("\n");
    }
    WriteStackSectionEnd(w);
}
