// The pieces of the log that do not need a crash: names, codes, value texts,
// system facts and DWARF location expressions.

#include "crash/CLogWriter.h"
#include "crash/DwarfLocation.h"
#include "crash/ExceptionCode.h"
#include "crash/LogSections.h"
#include "crash/SystemSection.h"
#include "crash/ValueText.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <ctime>
#include <dwarf.h>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// Collects what a CLogWriter writes, through a real file descriptor.
class CWritten {
public:
    CWritten() : m_nFd(memfd_create("log", 0)) {}
    ~CWritten() { close(m_nFd); }
    int Fd() const { return m_nFd; }
    std::string Text() const {
        std::string text(static_cast<std::size_t>(lseek(m_nFd, 0, SEEK_END)), '\0');
        EXPECT_EQ(pread(m_nFd, text.data(), text.size(), 0), static_cast<ssize_t>(text.size()));
        return text;
    }

private:
    int m_nFd;
};

TEST(CrashLogName, ZeroPadsEveryFieldWithBlanksInsideTheParentheses) {
    char name[kLogNameSize];
    FormatLogFileName(name, {2026, 3, 5, 8, 7, 9});
    EXPECT_STREQ(name, "crash[2026-03-05( 08.07.09 )].Txt");
}

TEST(CrashLogName, CivilTimeAgreesWithTheCalendar) {
    // Leap days, century rules, the epoch and the days around it.
    for (std::int64_t seconds : {std::int64_t{0}, std::int64_t{-1}, std::int64_t{951782400},
                                 std::int64_t{951868799}, std::int64_t{1709164800}, std::int64_t{4107542400},
                                 std::int64_t{1772698029}, std::int64_t{-2208988800}}) {
        SCOPED_TRACE(seconds);
        const time_t t = static_cast<time_t>(seconds);
        tm expected{};
        ASSERT_NE(gmtime_r(&t, &expected), nullptr);
        const tagCivilTime civil = CivilTimeOf(seconds);
        EXPECT_EQ(civil.nYear, expected.tm_year + 1900);
        EXPECT_EQ(civil.nMonth, expected.tm_mon + 1);
        EXPECT_EQ(civil.nDay, expected.tm_mday);
        EXPECT_EQ(civil.nHour, expected.tm_hour);
        EXPECT_EQ(civil.nMinute, expected.tm_min);
        EXPECT_EQ(civil.nSecond, expected.tm_sec);
    }
}

TEST(ExceptionCodes, SignalsMapToTheWindowsCodes) {
    const std::uint64_t sp = 0x7ffc00100000;
    EXPECT_EQ(ExceptionCodeOf(SIGSEGV, SEGV_MAPERR, 0, sp), 0xC0000005u);
    EXPECT_EQ(ExceptionCodeOf(SIGSEGV, SEGV_MAPERR, sp - 8, sp), 0xC00000FDu);
    // Sent with kill(): no fault address worth reading.
    EXPECT_EQ(ExceptionCodeOf(SIGSEGV, SI_USER, sp - 8, sp), 0xC0000005u);
    EXPECT_EQ(ExceptionCodeOf(SIGFPE, FPE_INTDIV, 0, sp), 0xC0000094u);
    EXPECT_EQ(ExceptionCodeOf(SIGFPE, FPE_FLTDIV, 0, sp), 0xC000008Eu);
    EXPECT_EQ(ExceptionCodeOf(SIGILL, ILL_ILLOPN, 0, sp), 0xC000001Du);
    EXPECT_EQ(ExceptionCodeOf(SIGILL, ILL_PRVOPC, 0, sp), 0xC0000096u);
    EXPECT_EQ(ExceptionCodeOf(SIGBUS, BUS_ADRALN, 0, sp), 0x80000002u);
    EXPECT_EQ(ExceptionCodeOf(SIGTRAP, SI_KERNEL, 0, sp), 0x80000003u);
    EXPECT_EQ(ExceptionCodeOf(SIGTRAP, TRAP_TRACE, 0, sp), 0x80000004u);
    EXPECT_EQ(ExceptionCodeOf(SIGABRT, SI_TKILL, 0, sp), 0x40000015u);
}

TEST(ExceptionCodes, NamesComeFromTheTableOtherwiseUnknown) {
    EXPECT_STREQ(ExceptionName(0xC0000094), "EXCEPTION_INT_DIVIDE_BY_ZERO");
    EXPECT_STREQ(ExceptionName(0xE06D7363), "EXCEPTION_MSVCPP");
    EXPECT_STREQ(ExceptionName(0xC00000FD), "未知异常");
    EXPECT_STREQ(ExceptionName(0x40000015), "未知异常");
}

TEST(FrameLine, FunctionNamePaddingShrinksWithItsLength) {
    CWritten out;
    {
        CLogWriter w(out.Fd());
        WriteFrameLine(w, 1, std::string(40, 'f').c_str(), 0x401000, 0x7ffc0000, "a.cpp", 12);
        w.Text("\n");
        WriteFrameLine(w, 12, std::string(10, 'g').c_str(), 0x1, 0x2, nullptr, 0);
        w.Text("\n");
        WriteFrameLine(w, 123, nullptr, 0x1, 0x2, "b.cpp", 3);
    }
    EXPECT_EQ(out.Text(), "  1\t0x00401000\t0x7ffc0000\t" + std::string(40, 'f') + std::string(31, ' ') +
                              "a.cpp, 第12行\n"
                              " 12\t0x00000001\t0x00000002\t" +
                              std::string(10, 'g') + std::string(32, ' ') +
                              "\n"
                              "123\tb.cpp, 第3行");
}

TEST(LogWriter, LongTextAndNumbersSurviveTheBuffer) {
    CWritten out;
    const std::string longText(10000, 'x');
    {
        CLogWriter w(out.Fd());
        w.Text(longText.c_str()).Dec(-42, 5).Text("|").Dec(-42, 5, ' ').Text("|").Dec(INT64_MIN).Text("|");
        w.Hex(0xABC, 8).Text("|").Hex(0xFFFFFFFFFFFFFFFFull, 4).Text("|").Rule('/', 3);
        EXPECT_TRUE(w.Flush());
    }
    EXPECT_EQ(out.Text(), longText + "-0042|  -42|-9223372036854775808|00000abc|ffffffffffffffff|///\n");
}

TEST(ModuleName, LongPathsGiveWayToTheirBaseName) {
    char name[kModuleNameSize];
    ModuleDisplayName("/opt/warrow/WarrowTray", name);
    EXPECT_STREQ(name, "/opt/warrow/WarrowTray");
    ModuleDisplayName(("/" + std::string(80, 'd') + "/libWarrowCore.so").c_str(), name);
    EXPECT_STREQ(name, "libWarrowCore.so");
    // A base name that is itself too long is cut on a character boundary.
    ModuleDisplayName(("/x/" + std::string(62, 'a') + "界").c_str(), name);
    EXPECT_EQ(std::string(name), std::string(62, 'a'));
    ModuleDisplayName(nullptr, name);
    EXPECT_STREQ(name, "");
}

TEST(ValueText, FollowsSizeAndBasicType) {
    const unsigned char bytes[8] = {0x2a, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80};
    auto text = [&](const char* basic, std::uint64_t size, bool isFloat = false) {
        return ValueText({"", basic, size, isFloat, false}, bytes, std::nullopt);
    };
    EXPECT_EQ(text("CHAR", 1), "(CHAR, 1 BYTE) = 0x2a");
    EXPECT_EQ(text("WCHAR", 2), "(WCHAR, 2 BYTE) = 0x012a");
    EXPECT_EQ(text("INT", 4), "(INT, 4 BYTE) = 0x0000012a");
    EXPECT_EQ(text("LONG", 8), "(LONG, 8 BYTE) = 0x800000000000012a");
    EXPECT_EQ(text("NOTYPE", 3), "");
    EXPECT_EQ(text("NOTYPE", 16), "");

    const float single = 1.5f;
    const double twice = -0.25;
    unsigned char raw[8] = {};
    std::memcpy(raw, &single, sizeof single);
    EXPECT_EQ(ValueText({"float", "FLOAT", 4, true, false}, raw, std::nullopt), "(FLOAT, 4 BYTE) = 1.500000");
    std::memcpy(raw, &twice, sizeof twice);
    EXPECT_EQ(ValueText({"double", "FLOAT", 8, true, false}, raw, std::nullopt),
              "(FLOAT, 8 BYTE) = -0.250000");
}

TEST(ValueText, TextPointerShowsItsTextOnlyWhenReadable) {
    const unsigned char pointer[8] = {0x10, 0, 0, 0, 0, 0, 0, 0};
    const tagValueType type{"", "CHAR", 8, false, true};
    EXPECT_EQ(ValueText(type, pointer, std::string("hello")), "(CHAR, 1 BYTE) = \"hello\"");
    EXPECT_EQ(ValueText(type, pointer, std::string(40, 'z')),
              "(CHAR, 1 BYTE) = \"" + std::string(31, 'z') + "\"");
    EXPECT_EQ(ValueText(type, pointer, std::nullopt), "(CHAR, 1 BYTE) = 0x00000010");
}

TEST(ValueText, BasicTypeNamesOfDwarfBaseTypes) {
    EXPECT_EQ(BasicTypeName(DW_ATE_signed, 4, "int"), "INT");
    EXPECT_EQ(BasicTypeName(DW_ATE_unsigned, 4, "unsigned int"), "UINT");
    EXPECT_EQ(BasicTypeName(DW_ATE_signed, 8, "long int"), "LONG");
    EXPECT_EQ(BasicTypeName(DW_ATE_unsigned, 8, "long unsigned int"), "ULONG");
    EXPECT_EQ(BasicTypeName(DW_ATE_signed_char, 1, "char"), "CHAR");
    EXPECT_EQ(BasicTypeName(DW_ATE_signed, 4, "wchar_t"), "WCHAR");
    EXPECT_EQ(BasicTypeName(DW_ATE_UTF, 2, "char16_t"), "WCHAR");
    EXPECT_EQ(BasicTypeName(DW_ATE_float, 8, "double"), "FLOAT");
    EXPECT_EQ(BasicTypeName(DW_ATE_boolean, 1, "bool"), "BOOL");
    EXPECT_EQ(BasicTypeName(-1, 4, "?"), "NOTYPE");
}

TEST(SystemFacts, IniValueIgnoresCaseBlanksCommentsAndOtherSections) {
    const std::string ini =
        "[Setup]\nVer=9\n; [Version]\n[ VERSION ]\r\n# Ver=0\n  ver  =  2_0_1_7  \r\nVer=3\n";
    EXPECT_EQ(IniValue(ini, "Version", "Ver"), "2_0_1_7");
    EXPECT_EQ(IniValue(ini, "Version", "Missing"), "");
    EXPECT_EQ(IniValue("Ver=1\n", "Version", "Ver"), "");
}

TEST(SystemFacts, NamesAndMemoryFromKernelTexts) {
    EXPECT_EQ(OsName("NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n", "6.1.0",
                     "x86_64"),
              "Debian GNU/Linux 12 (bookworm), Linux 6.1.0 (x86_64)");
    EXPECT_EQ(OsName("NAME=Arch\n", "6.9", "x86_64"), "Arch, Linux 6.9 (x86_64)");
    EXPECT_EQ(OsName("", "6.9", "x86_64"), "Linux 6.9 (x86_64)");
    EXPECT_EQ(CpuText("processor\t: 0\nmodel name\t: Some CPU @ 2.0GHz\nmodel name\t: Other\n"),
              "AMD64 Some CPU @ 2.0GHz");
    EXPECT_EQ(CpuText(""), "AMD64");

    const std::string meminfo = "MemTotal:        2097152 kB\nMemFree: 1 kB\nMemAvailable:    1048576 kB\n"
                                "SwapTotal: 0 kB\nCommitLimit:     3145728 kB\nCommitted_AS:    4194304 kB\n";
    tagMemoryFigures figures;
    ASSERT_TRUE(MemoryFigures(meminfo, std::uint64_t{1} << 47, 2048, figures));
    EXPECT_EQ(figures.nPhysTotal, 2048);
    EXPECT_EQ(figures.nPhysFree, 1024);
    EXPECT_EQ(figures.nVirtTotal, 134217728);
    EXPECT_EQ(figures.nVirtFree, 134217726);
    EXPECT_EQ(figures.nPageTotal, 3072);
    EXPECT_EQ(figures.nPageFree, 0); // over-committed: nothing left, not a negative figure
    EXPECT_FALSE(MemoryFigures("MemTotal: 1 kB\n", 1, 0, figures));
}

TEST(DwarfLocation, EvaluatesTheFormsCompilersEmit) {
    tagRegisterSet regs;
    regs.regs[kDwarfRegBp] = 0x7000;
    regs.regs[kDwarfRegSp] = 0x6000;
    regs.nKnown = (1u << kDwarfRegBp) | (1u << kDwarfRegSp);
    tagEvalContext ctx;
    ctx.pRegs = &regs;
    ctx.cfa = 0x7010;
    ctx.frameBase = 0x7010;
    ctx.nBias = 0x100000;
    auto eval = [&](std::initializer_list<Dwarf_Op> ops) {
        return EvaluateLocation(std::data(ops), ops.size(), ctx);
    };
    auto expectAt = [](tagLocation location, tagLocation::enKind kind, std::uint64_t value) {
        EXPECT_EQ(location.nKind, kind);
        EXPECT_EQ(location.nValue, value);
    };
    expectAt(eval({{DW_OP_fbreg, static_cast<Dwarf_Word>(-24), 0, 0}}), tagLocation::Memory, 0x6ff8);
    expectAt(eval({{DW_OP_breg6, 16, 0, 0}}), tagLocation::Memory, 0x7010);
    expectAt(eval({{DW_OP_bregx, 7, 8, 0}}), tagLocation::Memory, 0x6008);
    expectAt(eval({{DW_OP_call_frame_cfa, 0, 0, 0}}), tagLocation::Memory, 0x7010);
    expectAt(eval({{DW_OP_addr, 0x4010, 0, 0}}), tagLocation::Memory, 0x104010);
    expectAt(eval({{DW_OP_reg3, 0, 0, 0}}), tagLocation::Register, 3);
    expectAt(eval({{DW_OP_lit5, 0, 0, 0},
                   {DW_OP_lit7, 0, 0, 0},
                   {DW_OP_plus, 0, 0, 0},
                   {DW_OP_stack_value, 0, 0, 0}}),
             tagLocation::Value, 12);
    expectAt(eval({{DW_OP_constu, 9, 0, 0}, {DW_OP_plus_uconst, 1, 0, 0}, {DW_OP_stack_value, 0, 0, 0}}),
             tagLocation::Value, 10);
    // What the log cannot show: registers this frame lost, composite pieces,
    // entry values, an empty stack.
    EXPECT_EQ(eval({{DW_OP_breg3, 0, 0, 0}}).nKind, tagLocation::None);
    EXPECT_EQ(eval({{DW_OP_reg3, 0, 0, 0}, {DW_OP_piece, 4, 0, 0}}).nKind, tagLocation::None);
    EXPECT_EQ(eval({{DW_OP_entry_value, 0, 0, 0}}).nKind, tagLocation::None);
    EXPECT_EQ(eval({{DW_OP_plus, 0, 0, 0}}).nKind, tagLocation::None);
    EXPECT_EQ(eval({}).nKind, tagLocation::None);
}

} // namespace
