#pragma once
// How a variable's value reads in the log, from the size and basic type of
// its type: "(INT, 4 BYTE) = 0x0000002a", a text pointer as its text.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct tagValueType {
    std::string strTypeName; // printed after the variable's name when not empty
    std::string strBasic;    // basic-type name, "NOTYPE" when there is none
    std::uint64_t nSize = 0; // bytes
    bool bFloat = false;
    bool bTextPointer = false; // a pointer to single-byte characters
};

// The basic-type name of a DWARF base type (DW_ATE_* encoding).
std::string BasicTypeName(int encoding, std::uint64_t size, std::string_view typeName);

// `bytes` holds the first min(nSize, 8) bytes of the value; `text` is the
// text at a text pointer when 32 bytes there were readable.
std::string ValueText(const tagValueType& type, const unsigned char* bytes,
                      const std::optional<std::string>& text);
