#include "crash/DwarfLocation.h"

#include "crash/CProcessMemory.h"

#include <cstring>
#include <dwarf.h>

namespace {

constexpr std::size_t kStackDepth = 64;

class CEvalStack {
public:
    bool Push(std::uint64_t value) noexcept {
        if (m_nSize == kStackDepth)
            return false;
        m_values[m_nSize++] = value;
        return true;
    }
    bool Pop(std::uint64_t& value) noexcept {
        if (m_nSize == 0)
            return false;
        value = m_values[--m_nSize];
        return true;
    }
    bool Empty() const noexcept { return m_nSize == 0; }

private:
    std::uint64_t m_values[kStackDepth] = {};
    std::size_t m_nSize = 0;
};

bool Binary(CEvalStack& stack, std::uint64_t (*op)(std::uint64_t, std::uint64_t)) noexcept {
    std::uint64_t b = 0, a = 0;
    return stack.Pop(b) && stack.Pop(a) && stack.Push(op(a, b));
}

} // namespace

tagLocation EvaluateLocation(const Dwarf_Op* ops, std::size_t count, const tagEvalContext& ctx) {
    CEvalStack stack;
    tagLocation::enKind kind = tagLocation::Memory;
    for (std::size_t i = 0; i < count; ++i) {
        const Dwarf_Op& op = ops[i];
        const std::uint8_t atom = op.atom;
        std::uint64_t value = 0;
        bool ok = true;
        if (atom >= DW_OP_lit0 && atom <= DW_OP_lit31) {
            ok = stack.Push(atom - DW_OP_lit0);
        } else if (atom >= DW_OP_breg0 && atom <= DW_OP_breg31) {
            ok = ctx.pRegs != nullptr && ctx.pRegs->Get(atom - DW_OP_breg0, value) &&
                 stack.Push(value + static_cast<std::uint64_t>(static_cast<std::int64_t>(op.number)));
        } else if (atom >= DW_OP_reg0 && atom <= DW_OP_reg31) {
            // A register location names the register; it must end the expression.
            return i + 1 == count ? tagLocation{tagLocation::Register, std::uint64_t{atom} - DW_OP_reg0}
                                  : tagLocation{};
        } else {
            switch (atom) {
            case DW_OP_regx:
                return i + 1 == count ? tagLocation{tagLocation::Register, op.number} : tagLocation{};
            case DW_OP_bregx:
                ok = ctx.pRegs != nullptr && ctx.pRegs->Get(op.number, value) &&
                     stack.Push(value + static_cast<std::uint64_t>(static_cast<std::int64_t>(op.number2)));
                break;
            case DW_OP_addr:
                ok = stack.Push(op.number + ctx.nBias);
                break;
            case DW_OP_fbreg:
                ok = ctx.frameBase.has_value() &&
                     stack.Push(*ctx.frameBase +
                                static_cast<std::uint64_t>(static_cast<std::int64_t>(op.number)));
                break;
            case DW_OP_call_frame_cfa:
                ok = ctx.cfa.has_value() && stack.Push(*ctx.cfa);
                break;
            case DW_OP_const1u:
            case DW_OP_const2u:
            case DW_OP_const4u:
            case DW_OP_const8u:
            case DW_OP_const1s:
            case DW_OP_const2s:
            case DW_OP_const4s:
            case DW_OP_const8s:
            case DW_OP_constu:
            case DW_OP_consts:
                ok = stack.Push(op.number);
                break;
            case DW_OP_plus_uconst:
                ok = stack.Pop(value) && stack.Push(value + op.number);
                break;
            case DW_OP_plus:
                ok = Binary(stack, [](std::uint64_t a, std::uint64_t b) { return a + b; });
                break;
            case DW_OP_minus:
                ok = Binary(stack, [](std::uint64_t a, std::uint64_t b) { return a - b; });
                break;
            case DW_OP_deref:
                ok = ctx.pMemory != nullptr && stack.Pop(value) &&
                     ctx.pMemory->Read(value, &value, sizeof value) && stack.Push(value);
                break;
            case DW_OP_stack_value:
                kind = tagLocation::Value;
                break;
            case DW_OP_implicit_value:
                // number is the length, number2 the address of the block in libdw's memory.
                if (op.number > sizeof value || i + 1 != count)
                    return {};
                std::memcpy(&value, reinterpret_cast<const void*>(static_cast<std::uintptr_t>(op.number2)),
                            op.number);
                return {tagLocation::Value, value};
            default:
                return {};
            }
        }
        if (!ok)
            return {};
    }
    std::uint64_t top = 0;
    if (!stack.Pop(top))
        return {};
    return {kind, top};
}
