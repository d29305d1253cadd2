// The crash handler end to end: a helper program crashes in the ways a
// program can, and the test reads the log, the helper's fate and the record
// of the stand-in report sender.

#include "tests/crash/CrashLogFixture.h"

#include <csignal>
#include <regex>

namespace {

using CrashLog = CCrashLogFixture;

const std::regex kLogName(R"(crash\[\d{4}-\d{2}-\d{2}\( \d{2}\.\d{2}\.\d{2} \)\]\.Txt)");
const std::regex kFramePrefix(R"(^ {0,2}\d+\t0x[0-9a-f]{8,}\t0x[0-9a-f]{8,}\t.*)");

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The titles of all sections, in their order.
void ExpectSectionsInOrder(const std::string& log) {
    std::size_t at = 0;
    for (const char* title : {"异常日志文件\n", "系统信息：\n", "异常信息：\n", "寄存器信息：\n",
                              "堆栈信息：\n", "局部变量：\n", "全局变量：\n"}) {
        const std::size_t next = log.find(title, at);
        ASSERT_NE(next, std::string::npos) << title;
        at = next;
    }
}

// One log, properly named, with every section, of the helper's null write.
void ExpectNullWriteLog(const tagCrashRun& run) {
    EXPECT_EQ(run.nExitCode, 0) << run.strErr;
    EXPECT_EQ(run.strOut, "phase ended\n");
    ASSERT_EQ(run.logNames.size(), 1u);
    EXPECT_TRUE(std::regex_match(run.logNames[0], kLogName)) << run.logNames[0];
    ExpectSectionsInOrder(run.strLog);
    EXPECT_TRUE(Has(run.strLog, "异常代码：EXCEPTION_ACCESS_VIOLATION(0xc0000005)\n"));
    EXPECT_TRUE(Has(run.strLog, "异常模块：" + std::string(CRASH_HELPER_PATH) + "\n"));
}

TEST_F(CrashLog, NullWriteInGuardedPhaseWritesFullLogAndStartsSender) {
    const tagCrashRun run = Run({"null"});
    ExpectNullWriteLog(run);
    ASSERT_FALSE(run.logNames.empty());
    const std::string& log = run.strLog;
    EXPECT_TRUE(Has(log, "产品版本：1_2_3_4\n"));
    EXPECT_TRUE(Has(log, "\nCS：RIP：0x0033：0x"));
    for (const char* reg : {"\nRAX：0x", "\nRBP：0x", "\nR15：0x", "\nRFLAGS：0x", "\nSS：RSP：0x"})
        EXPECT_TRUE(Has(log, reg)) << reg;
    EXPECT_TRUE(std::regex_search(log, std::regex("\n物理内存：总共 [1-9]\\d* MB, 剩余 \\d+ MB\n")));

    const std::string frame = FrameLine(log, "CrashByNullWrite(int*, int)", "// crash: null write");
    EXPECT_TRUE(std::regex_match(frame, kFramePrefix)) << log;
    EXPECT_TRUE(Has(log, "\t\t\t形参： 'value' int(INT, 4 BYTE) = 0x00000015\n"));
    EXPECT_TRUE(Has(log, "\t\t\t变量： 'doubled' int(INT, 4 BYTE) = 0x0000002a\n"));

    const auto sender = SenderRecord();
    ASSERT_TRUE(sender.has_value());
    ASSERT_EQ(sender->size(), 3u);
    EXPECT_EQ((*sender)[0], "WarrowReport {warrow_crash_helper}{" + run.logNames[0] + "}");
    EXPECT_EQ((*sender)[1], std::filesystem::path(CRASH_HELPER_PATH).parent_path() / "WarrowReport");
    EXPECT_EQ(std::filesystem::path((*sender)[2]), m_dir);
}

TEST_F(CrashLog, EachCrashKindKeepsItsWindowsCode) {
    const struct {
        const char* pszMode;
        const char* pszCode;
        const char* pszFunction;
        const char* pszMarker;
    } kCases[] = {
        {"divide", "EXCEPTION_INT_DIVIDE_BY_ZERO(0xc0000094)", "CrashByDivision(int)", "// crash: division"},
        {"illegal", "EXCEPTION_ILLEGAL_INSTRUCTION(0xc000001d)", "CrashByIllegalInstruction()",
         "// crash: illegal"},
        {"breakpoint", "EXCEPTION_BREAKPOINT(0x80000003)", "CrashByBreakpoint()", "// crash: breakpoint"},
        {"abort", "未知异常(0x40000015)", "CrashByAbort()", "// crash: abort"},
        {"overflow", "未知异常(0xc00000fd)", "CrashByRecursion(int)", "// crash: recursion"},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.pszMode);
        TearDown();
        SetUp();
        const tagCrashRun run = Run({c.pszMode, "--no-callback"});
        EXPECT_EQ(run.nExitCode, 0) << run.strErr;
        EXPECT_EQ(run.strOut, "phase ended\n");
        ASSERT_EQ(run.logNames.size(), 1u);
        EXPECT_TRUE(Has(run.strLog, std::string("异常代码：") + c.pszCode + "\n"));
        EXPECT_FALSE(FrameLine(run.strLog, c.pszFunction, c.pszMarker).empty()) << run.strLog.substr(0, 6000);
        EXPECT_TRUE(Has(run.strLog, "全局变量：\n"));
    }
}

TEST_F(CrashLog, LocalsPassShowsTextPointersAsTextOnlyWhenReadable) {
    const tagCrashRun run = Run({"text", "--no-callback"});
    ASSERT_EQ(run.logNames.size(), 1u) << run.strErr;
    const std::string& log = run.strLog;
    const std::size_t locals = log.find("局部变量：\n");
    ASSERT_NE(locals, std::string::npos);
    const std::string pass = log.substr(locals);
    EXPECT_FALSE(FrameLine(pass, "CrashWithTextLocals(int*)", "// crash: text").empty());
    EXPECT_TRUE(Has(pass, "\t\t\t形参： 'target'(INT, 8 BYTE) = 0x0000000000000000\n"));
    // At most 31 characters of the text.
    EXPECT_TRUE(Has(pass, "\t\t\t变量： 'readable'(CHAR, 1 BYTE) = \"text the log shows, cut after t\"\n"));
    EXPECT_TRUE(Has(pass, "\t\t\t变量： 'unreadable'(CHAR, 1 BYTE) = 0x00000010\n"));
    EXPECT_TRUE(Has(pass, "\t\t\t变量： 'ratio' double(FLOAT, 8 BYTE) = 2.500000\n"));
    EXPECT_TRUE(Has(pass, "\t\t\t变量： 'point' tagPoint\n\t\t    \t\t x(INT, 4 BYTE) = 0x00000003\n"
                          "\t\t    \t\t y(INT, 4 BYTE) = 0x00000004\n"));
    // The first pass lists frames only.
    EXPECT_FALSE(Has(log.substr(0, locals), "'readable'"));
}

TEST_F(CrashLog, SecondCrashWritesNoSecondLogAndEndsTheProgram) {
    const tagCrashRun run = Run({"twice"});
    EXPECT_EQ(run.nSignal, SIGSEGV);
    EXPECT_EQ(run.strOut, "phase ended\n");
    EXPECT_EQ(run.logNames.size(), 1u);
    EXPECT_TRUE(SenderRecord().has_value());
}

TEST_F(CrashLog, ServiceWithoutCallbackStartsNoSender) {
    const tagCrashRun run = Run({"null", "--no-callback"});
    EXPECT_EQ(run.nExitCode, 0);
    EXPECT_EQ(run.logNames.size(), 1u);
    EXPECT_FALSE(SenderStarted());
}

TEST_F(CrashLog, CrashedThreadWritesShortLogWhenWriterIsGoneOrStuck) {
    for (const char* mode : {"killwriter", "stopwriter"}) {
        SCOPED_TRACE(mode);
        TearDown();
        SetUp();
        const tagCrashRun run = Run({mode, "--timeout-ms", "300"});
        ExpectNullWriteLog(run);
        const std::string& log = run.strLog;
        EXPECT_TRUE(Has(log, "文件\n  1\t\n"));
        // Nothing of a half-written full log is left.
        EXPECT_FALSE(Has(log, "产品版本"));
        EXPECT_EQ(log.find("异常日志文件"), log.rfind("异常日志文件"));
        ASSERT_TRUE(SenderRecord().has_value());
    }
}

TEST_F(CrashLog, NoLogNoSenderWhenTheFileCannotBeCreated) {
    const tagCrashRun run = Run({"cwdgone"});
    EXPECT_EQ(run.nSignal, SIGSEGV);
    EXPECT_TRUE(run.logNames.empty());
    EXPECT_FALSE(SenderStarted());
}

TEST_F(CrashLog, ConcurrentCrashWaitsUntilTheFirstLogIsComplete) {
    const tagCrashRun run = Run({"threads"});
    EXPECT_EQ(run.nSignal, SIGSEGV);
    ASSERT_EQ(run.logNames.size(), 1u);
    EXPECT_TRUE(Has(run.strLog, "CrashTwoThreads()::{lambda()#1}"));
    const std::string end = std::string(93, '/') + "\n全局变量：\n" + std::string(93, '/') + "\n";
    EXPECT_TRUE(run.strLog.ends_with(end));
    EXPECT_TRUE(SenderRecord().has_value());
}

} // namespace
