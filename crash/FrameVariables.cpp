#include "crash/FrameVariables.h"

#include "crash/CLogWriter.h"
#include "crash/CProcessMemory.h"
#include "crash/ValueText.h"

#include <cstdlib>
#include <cstring>
#include <dwarf.h>
#include <string>
#include <vector>

namespace {

// One formatted symbol is cut at this many bytes, like the fixed buffer it
// was always written through; it keeps huge structures from bloating the log.
constexpr std::size_t kSymbolTextLimit = 1024;
constexpr int kMemberLimit = 1024;
// Larger objects are not read: their members would be cut off anyway.
constexpr std::uint64_t kObjectReadLimit = 64 * 1024;
constexpr const char* kOptimisedOut = " <optimized out>";

const char* NameOf(Dwarf_Die* die) {
    Dwarf_Attribute attr;
    return dwarf_attr_integrate(die, DW_AT_name, &attr) != nullptr ? dwarf_formstring(&attr) : nullptr;
}

bool TypeOf(Dwarf_Die* die, Dwarf_Die* type) {
    Dwarf_Attribute attr;
    return dwarf_attr_integrate(die, DW_AT_type, &attr) != nullptr &&
           dwarf_formref_die(&attr, type) != nullptr;
}

bool IsQualifier(int tag) {
    return tag == DW_TAG_const_type || tag == DW_TAG_volatile_type || tag == DW_TAG_restrict_type ||
           tag == DW_TAG_atomic_type;
}

bool IsComposite(int tag) {
    return tag == DW_TAG_structure_type || tag == DW_TAG_class_type || tag == DW_TAG_union_type;
}

int EncodingOf(Dwarf_Die* base) {
    Dwarf_Attribute attr;
    Dwarf_Word encoding = 0;
    if (dwarf_attr(base, DW_AT_encoding, &attr) == nullptr || dwarf_formudata(&attr, &encoding) != 0)
        return -1;
    return static_cast<int>(encoding);
}

std::string BasicOf(Dwarf_Die* type) {
    Dwarf_Die peeled;
    if (dwarf_peel_type(type, &peeled) != 0)
        return "NOTYPE";
    const int tag = dwarf_tag(&peeled);
    if (tag == DW_TAG_base_type) {
        const char* name = dwarf_diename(&peeled);
        const int size = dwarf_bytesize(&peeled);
        return BasicTypeName(EncodingOf(&peeled), size > 0 ? static_cast<std::uint64_t>(size) : 0,
                             name != nullptr ? name : "");
    }
    if (tag == DW_TAG_enumeration_type) {
        Dwarf_Die underlying;
        return TypeOf(&peeled, &underlying) ? BasicOf(&underlying) : "INT";
    }
    return "NOTYPE";
}

// The log's view of a type: its name as declared, its size and basic type.
struct tagTypeView {
    tagValueType value;
    bool bHasType = false;
    bool bComposite = false;
    Dwarf_Die peeled{};
};

tagTypeView ViewOf(Dwarf_Die* owner) {
    tagTypeView view;
    view.value.strBasic = "NOTYPE";
    Dwarf_Die type;
    if (!TypeOf(owner, &type))
        return view;
    view.bHasType = true;
    Dwarf_Die named = type;
    while (IsQualifier(dwarf_tag(&named)) && TypeOf(&named, &named)) {
    }
    if (const char* name = dwarf_diename(&named); name != nullptr && !IsQualifier(dwarf_tag(&named)))
        view.value.strTypeName = name;
    if (dwarf_peel_type(&type, &view.peeled) != 0)
        return view;
    const int tag = dwarf_tag(&view.peeled);
    Dwarf_Word size = 0;
    if (tag == DW_TAG_pointer_type || tag == DW_TAG_reference_type || tag == DW_TAG_rvalue_reference_type ||
        tag == DW_TAG_ptr_to_member_type) {
        const int bytes = dwarf_bytesize(&view.peeled);
        size = bytes > 0 ? static_cast<Dwarf_Word>(bytes) : sizeof(void*);
        Dwarf_Die pointee;
        if (!TypeOf(&view.peeled, &pointee)) {
            view.value.strBasic = "VOID";
        } else {
            view.value.strBasic = BasicOf(&pointee);
            Dwarf_Die target;
            view.value.bTextPointer = tag == DW_TAG_pointer_type && view.value.strBasic == "CHAR" &&
                                      dwarf_peel_type(&pointee, &target) == 0 && dwarf_bytesize(&target) == 1;
        }
    } else if (tag == DW_TAG_array_type) {
        Dwarf_Die element;
        view.value.strBasic = TypeOf(&view.peeled, &element) ? BasicOf(&element) : "NOTYPE";
        dwarf_aggregate_size(&view.peeled, &size);
    } else {
        view.value.strBasic = BasicOf(&view.peeled);
        view.value.bFloat = tag == DW_TAG_base_type && EncodingOf(&view.peeled) == DW_ATE_float;
        view.bComposite = IsComposite(tag);
        dwarf_aggregate_size(&view.peeled, &size);
    }
    view.value.nSize = size;
    return view;
}

class CSymbolFormatter {
public:
    CSymbolFormatter(Dwarf_Addr pc, Dwarf_Addr bias, const tagEvalContext& ctx)
        : m_nPc(pc), m_nBias(bias), m_ctx(ctx) {}

    // The text of one symbol, or nothing when its memory is unreadable.
    std::optional<std::string> Format(Dwarf_Die* die, bool isParameter, const char* name) {
        std::string text = isParameter ? "\t\t形参： " : "\t\t变量： ";
        text += "'";
        text += name;
        text += "'";
        const tagTypeView view = ViewOf(die);
        if (!view.value.strTypeName.empty())
            text += " " + view.value.strTypeName;
        std::vector<unsigned char> bytes;
        switch (ReadValue(die, view, bytes)) {
        case enRead::Unavailable:
            return text + kOptimisedOut;
        case enRead::Unreadable:
            return std::nullopt;
        case enRead::Ok:
            break;
        }
        if (view.bComposite && AppendMembers(text, view, bytes))
            return text;
        text += ValueText(view.value, bytes.data(), TextAt(view.value, bytes));
        return text;
    }

private:
    enum class enRead { Ok, Unavailable, Unreadable };

    enRead ReadValue(Dwarf_Die* die, const tagTypeView& view, std::vector<unsigned char>& bytes) {
        if (!view.bHasType || view.value.nSize == 0 || view.value.nSize > kObjectReadLimit)
            return enRead::Unavailable;
        bytes.assign(view.value.nSize < 8 ? 8 : view.value.nSize, 0);
        Dwarf_Attribute attr;
        if (dwarf_attr(die, DW_AT_location, &attr) == nullptr)
            return ConstantValue(die, bytes);
        Dwarf_Op* ops = nullptr;
        std::size_t count = 0;
        if (dwarf_getlocation_addr(&attr, m_nPc - m_nBias, &ops, &count, 1) != 1 || count == 0)
            return enRead::Unavailable;
        const tagLocation location = EvaluateLocation(ops, count, m_ctx);
        std::uint64_t value = 0;
        switch (location.nKind) {
        case tagLocation::Memory:
            return m_ctx.pMemory->Read(location.nValue, bytes.data(), view.value.nSize) ? enRead::Ok
                                                                                        : enRead::Unreadable;
        case tagLocation::Register:
            if (view.value.nSize > 8 || !m_ctx.pRegs->Get(location.nValue, value))
                return enRead::Unavailable;
            std::memcpy(bytes.data(), &value, sizeof value);
            return enRead::Ok;
        case tagLocation::Value:
            if (view.value.nSize > 8)
                return enRead::Unavailable;
            std::memcpy(bytes.data(), &location.nValue, sizeof location.nValue);
            return enRead::Ok;
        case tagLocation::None:
            break;
        }
        return enRead::Unavailable;
    }

    static enRead ConstantValue(Dwarf_Die* die, std::vector<unsigned char>& bytes) {
        Dwarf_Attribute attr;
        Dwarf_Word value = 0;
        if (bytes.size() > 8 || dwarf_attr_integrate(die, DW_AT_const_value, &attr) == nullptr ||
            dwarf_formudata(&attr, &value) != 0)
            return enRead::Unavailable;
        std::memcpy(bytes.data(), &value, sizeof value);
        return enRead::Ok;
    }

    std::optional<std::string> TextAt(const tagValueType& type, const std::vector<unsigned char>& bytes) {
        if (!type.bTextPointer)
            return std::nullopt;
        std::uint64_t pointer = 0;
        std::memcpy(&pointer, bytes.data(), sizeof pointer);
        char text[32];
        if (!m_ctx.pMemory->Read(pointer, text, sizeof text))
            return std::nullopt;
        std::size_t length = 0;
        while (length < sizeof text - 1 && text[length] != '\0')
            ++length;
        return std::string(text, length);
    }

    bool AppendMembers(std::string& text, const tagTypeView& view, const std::vector<unsigned char>& bytes) {
        Dwarf_Die child = view.peeled;
        if (dwarf_child(&child, &child) != 0)
            return false;
        text += "\n\t\t    ";
        int count = 0;
        do {
            if (dwarf_tag(&child) != DW_TAG_member || count == kMemberLimit)
                continue;
            const char* name = NameOf(&child);
            Dwarf_Attribute attr;
            Dwarf_Word offset = 0;
            if (name == nullptr || dwarf_attr(&child, DW_AT_data_member_location, &attr) == nullptr ||
                dwarf_formudata(&attr, &offset) != 0)
                continue;
            ++count;
            text += "\t\t ";
            text += name;
            const tagTypeView member = ViewOf(&child);
            const bool bitField = dwarf_hasattr(&child, DW_AT_bit_size);
            if (!bitField && member.bHasType && offset + member.value.nSize <= view.value.nSize) {
                unsigned char raw[8] = {};
                std::memcpy(raw, bytes.data() + offset, member.value.nSize < 8 ? member.value.nSize : 8);
                text += ValueText(member.value, raw, TextAt(member.value, {raw, raw + 8}));
            }
            text += "\n\t\t    ";
        } while (dwarf_siblingof(&child, &child) == 0);
        return count > 0;
    }

    Dwarf_Addr m_nPc;
    Dwarf_Addr m_nBias;
    const tagEvalContext& m_ctx;
};

std::optional<std::uint64_t> FrameBase(Dwarf_Die* scopes, int count, int from, Dwarf_Addr pc,
                                       const tagEvalContext& ctx) {
    for (int i = from; i < count; ++i) {
        Dwarf_Attribute attr;
        if (dwarf_tag(&scopes[i]) != DW_TAG_subprogram ||
            dwarf_attr(&scopes[i], DW_AT_frame_base, &attr) == nullptr)
            continue;
        Dwarf_Op* ops = nullptr;
        std::size_t n = 0;
        if (dwarf_getlocation_addr(&attr, pc, &ops, &n, 1) != 1)
            return std::nullopt;
        const tagLocation location = EvaluateLocation(ops, n, ctx);
        std::uint64_t value = 0;
        if (location.nKind == tagLocation::Register)
            return ctx.pRegs->Get(location.nValue, value) ? std::optional(value) : std::nullopt;
        return location.nKind == tagLocation::None ? std::nullopt : std::optional(location.nValue);
    }
    return std::nullopt;
}

void WriteSymbol(CLogWriter& w, CSymbolFormatter& formatter, Dwarf_Die* die, bool isParameter) {
    const char* name = NameOf(die);
    if (name == nullptr || dwarf_hasattr(die, DW_AT_declaration))
        return;
    const std::optional<std::string> text = formatter.Format(die, isParameter, name);
    if (!text.has_value()) {
        w.Text("\t符号 ").Text(name).Text(" 没找到\n");
        return;
    }
    std::size_t length = text->size() < kSymbolTextLimit ? text->size() : kSymbolTextLimit;
    while (length > 0 && length < text->size() &&
           (static_cast<unsigned char>((*text)[length]) & 0xC0) == 0x80)
        --length;
    w.Text("\t").Text(text->data(), length).Text("\n");
}

} // namespace

bool WriteFrameVariables(CLogWriter& w, Dwfl_Module* module, Dwarf_Addr pc, const tagRegisterSet& regs,
                         std::optional<std::uint64_t> cfa, CProcessMemory& memory) {
    Dwarf_Addr bias = 0;
    Dwarf_Die* cu = dwfl_module_addrdie(module, pc, &bias);
    if (cu == nullptr)
        return false;
    Dwarf_Die* scopes = nullptr;
    const int count = dwarf_getscopes(cu, pc - bias, &scopes);
    if (count <= 0)
        return false;
    int function = 0;
    while (function < count && dwarf_tag(&scopes[function]) != DW_TAG_subprogram &&
           dwarf_tag(&scopes[function]) != DW_TAG_inlined_subroutine)
        ++function;
    if (function == count) {
        std::free(scopes);
        return false;
    }
    tagEvalContext ctx;
    ctx.pRegs = &regs;
    ctx.pMemory = &memory;
    ctx.cfa = cfa;
    ctx.nBias = bias;
    ctx.frameBase = FrameBase(scopes, count, function, pc - bias, ctx);
    CSymbolFormatter formatter(pc, bias, ctx);
    // The function's own parameters and variables first, then those of the
    // nested blocks that contain the program counter, outermost first.
    for (int i = function; i >= 0; --i) {
        Dwarf_Die child;
        if (dwarf_child(&scopes[i], &child) != 0)
            continue;
        do {
            const int tag = dwarf_tag(&child);
            if (tag == DW_TAG_formal_parameter || tag == DW_TAG_variable)
                WriteSymbol(w, formatter, &child, tag == DW_TAG_formal_parameter);
        } while (dwarf_siblingof(&child, &child) == 0);
    }
    std::free(scopes);
    return true;
}
