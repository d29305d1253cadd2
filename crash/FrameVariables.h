#pragma once
// The second stack pass: parameters and local variables of one frame with
// their values, read from the crashed process through its DWARF description.

#include "crash/DwarfLocation.h"

#include <elfutils/libdwfl.h>
#include <optional>

class CLogWriter;
class CProcessMemory;

// Writes one "\t<symbol text>\n" line per parameter and variable in scope at
// `pc` (an address inside the instruction). Returns false when the frame's
// function has no debugging information (nothing is written then).
bool WriteFrameVariables(CLogWriter& w, Dwfl_Module* module, Dwarf_Addr pc, const tagRegisterSet& regs,
                         std::optional<std::uint64_t> cfa, CProcessMemory& memory);
