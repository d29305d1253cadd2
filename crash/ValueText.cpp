#include "crash/ValueText.h"

#include <cstdio>
#include <cstring>
#include <dwarf.h>

std::string BasicTypeName(int encoding, std::uint64_t size, std::string_view typeName) {
    const bool isLong = typeName.find("long") != std::string_view::npos;
    switch (encoding) {
    case DW_ATE_boolean:
        return "BOOL";
    case DW_ATE_float:
        return "FLOAT";
    case DW_ATE_complex_float:
        return "COMPLEX";
    case DW_ATE_signed_char:
    case DW_ATE_unsigned_char:
        return "CHAR";
    case DW_ATE_UTF:
        return size == 1 ? "CHAR" : "WCHAR";
    case DW_ATE_signed:
        if (typeName == "wchar_t")
            return "WCHAR";
        return isLong ? "LONG" : "INT";
    case DW_ATE_unsigned:
        return isLong ? "ULONG" : "UINT";
    default:
        return "NOTYPE";
    }
}

std::string ValueText(const tagValueType& type, const unsigned char* bytes,
                      const std::optional<std::string>& text) {
    std::uint64_t raw = 0;
    std::memcpy(&raw, bytes, type.nSize < sizeof raw ? type.nSize : sizeof raw);
    const char* basic = type.strBasic.c_str();
    char buffer[128];
    if (type.bTextPointer) {
        if (text.has_value())
            return "(" + type.strBasic + ", 1 BYTE) = \"" + text->substr(0, 31) + "\"";
        std::snprintf(buffer, sizeof buffer, "(%s, 1 BYTE) = 0x%08llx", basic,
                      static_cast<unsigned long long>(raw));
        return buffer;
    }
    switch (type.nSize) {
    case 1:
        std::snprintf(buffer, sizeof buffer, "(%s, 1 BYTE) = 0x%02x", basic, static_cast<unsigned>(raw));
        break;
    case 2:
        std::snprintf(buffer, sizeof buffer, "(%s, 2 BYTE) = 0x%04x", basic, static_cast<unsigned>(raw));
        break;
    case 4:
        if (type.bFloat) {
            float value = 0;
            std::memcpy(&value, &raw, sizeof value);
            std::snprintf(buffer, sizeof buffer, "(%s, 4 BYTE) = %f", basic, static_cast<double>(value));
        } else {
            std::snprintf(buffer, sizeof buffer, "(%s, 4 BYTE) = 0x%08x", basic, static_cast<unsigned>(raw));
        }
        break;
    case 8:
        if (type.bFloat) {
            double value = 0;
            std::memcpy(&value, &raw, sizeof value);
            std::snprintf(buffer, sizeof buffer, "(%s, 8 BYTE) = %lf", basic, value);
        } else {
            std::snprintf(buffer, sizeof buffer, "(%s, 8 BYTE) = 0x%016llx", basic,
                          static_cast<unsigned long long>(raw));
        }
        break;
    default:
        return {};
    }
    return buffer;
}
