#include "crash/LogSections.h"

#include "crash/CLogWriter.h"
#include "crash/ExceptionCode.h"

#include <cstring>

void DwarfRegistersOf(const tagCrashRequest& req, std::uint64_t (&regs)[kDwarfRegCount]) noexcept {
    static constexpr int kOrder[kDwarfRegCount] = {REG_RAX, REG_RDX, REG_RCX, REG_RBX, REG_RSI, REG_RDI,
                                                   REG_RBP, REG_RSP, REG_R8,  REG_R9,  REG_R10, REG_R11,
                                                   REG_R12, REG_R13, REG_R14, REG_R15, REG_RIP};
    for (int i = 0; i < kDwarfRegCount; ++i)
        regs[i] = static_cast<std::uint64_t>(req.gregs[kOrder[i]]);
}

tagCivilTime CivilTimeOf(std::int64_t seconds) noexcept {
    // Days-from-civil inverted (proleptic Gregorian calendar), exact for any
    // date the clock can show; localtime_r is not safe in a signal handler.
    std::int64_t days = seconds / 86400;
    std::int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t mp = (5 * dayOfYear + 2) / 153;
    const std::int64_t day = dayOfYear - (153 * mp + 2) / 5 + 1;
    const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    return {static_cast<int>(year),
            static_cast<int>(month),
            static_cast<int>(day),
            static_cast<int>(rest / 3600),
            static_cast<int>(rest % 3600 / 60),
            static_cast<int>(rest % 60)};
}

namespace {

// Formats into a fixed buffer with the same primitives as the log.
class CFixedText {
public:
    CFixedText(char* buffer, std::size_t size) noexcept : m_pBuffer(buffer), m_nSize(size) {
        m_pBuffer[0] = '\0';
    }

    CFixedText& Text(const char* text) noexcept {
        while (*text != '\0' && m_nUsed + 1 < m_nSize)
            m_pBuffer[m_nUsed++] = *text++;
        m_pBuffer[m_nUsed] = '\0';
        return *this;
    }

    CFixedText& Dec(int value, int width) noexcept {
        char digits[16];
        int n = 0;
        unsigned magnitude = value < 0 ? 0u : static_cast<unsigned>(value);
        do {
            digits[n++] = static_cast<char>('0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        for (int i = n; i < width; ++i)
            Text("0");
        char one[2] = {0, 0};
        while (n > 0) {
            one[0] = digits[--n];
            Text(one);
        }
        return *this;
    }

private:
    char* m_pBuffer;
    std::size_t m_nSize;
    std::size_t m_nUsed = 0;
};

// Cuts a text to at most `limit` bytes without splitting a UTF-8 character.
std::size_t Utf8Prefix(const char* text, std::size_t limit) noexcept {
    std::size_t length = std::strlen(text);
    if (length <= limit)
        return length;
    length = limit;
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
        --length;
    return length;
}

void Register(CLogWriter& w, const char* name, std::uint64_t value) noexcept {
    w.Text(name).Text("：0x").Hex(value, 16).Text("\n");
}

void SegmentAndPointer(CLogWriter& w, const char* names, std::uint64_t segment,
                       std::uint64_t pointer) noexcept {
    w.Text(names).Text("：0x").Hex(segment, 4).Text("：0x").Hex(pointer, 16).Text("\n");
}

} // namespace

void FormatLogFileName(char (&name)[kLogNameSize], const tagCivilTime& t) noexcept {
    CFixedText(name, sizeof name)
        .Text("crash[")
        .Dec(t.nYear, 4)
        .Text("-")
        .Dec(t.nMonth, 2)
        .Text("-")
        .Dec(t.nDay, 2)
        .Text("( ")
        .Dec(t.nHour, 2)
        .Text(".")
        .Dec(t.nMinute, 2)
        .Text(".")
        .Dec(t.nSecond, 2)
        .Text(" )].Txt");
}

void ModuleDisplayName(const char* path, char (&out)[kModuleNameSize]) noexcept {
    if (path == nullptr)
        path = "";
    if (std::strlen(path) >= kModuleNameSize) {
        const char* slash = std::strrchr(path, '/');
        if (slash != nullptr)
            path = slash + 1;
    }
    const std::size_t length = Utf8Prefix(path, kModuleNameSize - 1);
    std::memcpy(out, path, length);
    out[length] = '\0';
}

void WriteLogHeader(CLogWriter& w) noexcept {
    w.Rule('/', 78).Text("异常日志文件\n").Rule('/', 50).Text("\n");
}

void WriteSystemSectionTitle(CLogWriter& w) noexcept {
    w.Rule('/', 64).Text("系统信息：\n");
}

void WriteSystemSectionEnd(CLogWriter& w) noexcept {
    w.Rule('/', 99).Text("\n\n\n");
}

void WriteExceptionSection(CLogWriter& w, const tagCrashRequest& req, const tagCivilTime& t,
                           const char* module) noexcept {
    w.Rule('/', 107).Text("异常信息：\n");
    w.Text("异常时间：").Dec(t.nYear, 4).Text("年").Dec(t.nMonth, 2).Text("月").Dec(t.nDay, 2).Text("日，");
    w.Dec(t.nHour, 2).Text("：").Dec(t.nMinute, 2).Text("：").Dec(t.nSecond, 2).Text("\n");
    w.Text("异常代码：").Text(ExceptionName(req.nCode)).Text("(0x").Hex(req.nCode, 8).Text(")\n");
    w.Text("异常地址：0x").Hex(static_cast<std::uint64_t>(req.gregs[REG_RIP]), 8).Text("\n");
    char name[kModuleNameSize];
    ModuleDisplayName(module, name);
    w.Text("异常模块：").Text(name).Text("\n");
    w.Rule('/', 89).Text("\n\n\n");
}

void WriteRegisterSection(CLogWriter& w, const tagCrashRequest& req) noexcept {
    static constexpr struct {
        const char* pszName;
        int nIndex;
    } kGeneral[] = {{"RAX", REG_RAX}, {"RBX", REG_RBX}, {"RCX", REG_RCX}, {"RDX", REG_RDX}, {"RSI", REG_RSI},
                    {"RDI", REG_RDI}, {"RBP", REG_RBP}, {"R8", REG_R8},   {"R9", REG_R9},   {"R10", REG_R10},
                    {"R11", REG_R11}, {"R12", REG_R12}, {"R13", REG_R13}, {"R14", REG_R14}, {"R15", REG_R15}};
    w.Rule('/', 107).Text("寄存器信息：\n");
    for (const auto& reg : kGeneral)
        Register(w, reg.pszName, static_cast<std::uint64_t>(req.gregs[reg.nIndex]));
    // The kernel saves CS, GS, FS and (when it says so in uc_flags) SS packed
    // in one slot; DS and ES carry nothing in 64-bit mode and are not saved.
    const auto segments = static_cast<std::uint64_t>(req.gregs[REG_CSGSFS]);
    constexpr std::uint32_t kSigcontextSs = 0x2;
    const std::uint64_t ss = (req.nUcFlags & kSigcontextSs) != 0 ? (segments >> 48) & 0xFFFF : 0;
    w.Text("FS：0x").Hex((segments >> 32) & 0xFFFF, 4).Text("\n");
    w.Text("GS：0x").Hex((segments >> 16) & 0xFFFF, 4).Text("\n");
    w.Text("RFLAGS：0x").Hex(static_cast<std::uint64_t>(req.gregs[REG_EFL]), 8).Text("\n");
    SegmentAndPointer(w, "CS：RIP", segments & 0xFFFF, static_cast<std::uint64_t>(req.gregs[REG_RIP]));
    SegmentAndPointer(w, "SS：RSP", ss, static_cast<std::uint64_t>(req.gregs[REG_RSP]));
    w.Rule('/', 95).Text("\n\n\n");
}

void WriteStackSectionStart(CLogWriter& w, bool withVariables) noexcept {
    w.Rule('/', 95).Text(withVariables ? "局部变量：\n" : "堆栈信息：\n");
    w.Text("序号\t地址\t\t栈帧\t\t函数\t\t\t\t文件\n");
}

void WriteStackSectionEnd(CLogWriter& w) noexcept {
    w.Rule('/', 103).Text("\n\n\n");
}

void WriteGlobalSection(CLogWriter& w) noexcept {
    w.Rule('/', 93).Text("全局变量：\n").Rule('/', 93);
}

void WriteFrameLine(CLogWriter& w, int number, const char* function, std::uint64_t pc, std::uint64_t frame,
                    const char* file, unsigned line) noexcept {
    w.Dec(number, 3, ' ').Text("\t");
    if (function != nullptr) {
        const std::size_t length = std::strlen(function);
        w.Text("0x").Hex(pc, 8).Text("\t0x").Hex(frame, 8).Text("\t").Text(function, length);
        w.Repeat(' ', 32 - static_cast<int>(length / 31));
    }
    if (file != nullptr)
        w.Text(file).Text(", 第").Dec(line).Text("行");
}
