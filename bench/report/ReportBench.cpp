// How long the report sender's window waits after the send button: building
// the request for logs of each kind that needs more than a plain frame.

#include "report/ReportBuilder.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>

namespace {

// Stack-dump lines: LZARI shrinks them to a small part.
std::string DumpLog(std::size_t size) {
    std::string text;
    for (int frame = 1; text.size() < size; ++frame)
        text += "  " + std::to_string(frame % 97) + "\t0x00401000\tCWarrowApp::OnTick(int) , 第" +
                std::to_string(frame % 13) + "行\n";
    return text;
}

// Lines of random letters: LZARI barely shrinks them.
std::string RandomLog(std::size_t size) {
    std::mt19937 random(7);
    std::string text;
    while (text.size() < size) {
        for (int i = 0; i < 80; ++i)
            text += static_cast<char>('!' + random() % 90);
        text += '\n';
    }
    return text;
}

// Words of a crash log in random order: LZARI shrinks them to about a tenth.
std::string WordLog(std::size_t size) {
    static const char* const kWords[] = {"frame", "WarrowTray", "0x7ffd3a2c",   "in", "CDlgLogin::OnOK",
                                         "line",  "register",   "eax=00000000", "\n", "crash"};
    std::mt19937 random(7);
    std::string text;
    while (text.size() < size) {
        text += kWords[random() % 10];
        text += ' ';
    }
    return text;
}

report::tagCrashLog Log(std::string bytes) {
    report::tagCrashLog log;
    log.bRead = true;
    log.nFileSize = bytes.size();
    if (bytes.size() > report::kLogWholeLimit) {
        log.strTail = bytes.substr(bytes.size() - report::kLogPartBytes);
        bytes.resize(report::kLogPartBytes);
    }
    log.strHead = std::move(bytes);
    return log;
}

void Build(benchmark::State& state, const report::tagCrashLog& log) {
    user_report_message::tagReportRequest fields;
    fields.strProgram = "WarrowTray";
    for (auto _ : state) {
        const report::tagBuiltReport built = report::BuildReport(fields, log);
        benchmark::DoNotOptimize(built.pMsg);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * log.nFileSize));
}

void BM_CompressedWhole(benchmark::State& state) {
    Build(state, Log(DumpLog(200000)));
}
void BM_CutRandom(benchmark::State& state) {
    Build(state, Log(RandomLog(static_cast<std::size_t>(state.range(0)))));
}
void BM_CutWords(benchmark::State& state) {
    Build(state, Log(WordLog(static_cast<std::size_t>(state.range(0)))));
}
void BM_CutCompressible(benchmark::State& state) {
    Build(state, Log(DumpLog(static_cast<std::size_t>(state.range(0)))));
}

BENCHMARK(BM_CompressedWhole)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CutRandom)->Arg(300000)->Arg(2000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CutWords)->Arg(500000)->Arg(3000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CutCompressible)->Arg(1500000)->Arg(8000000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
