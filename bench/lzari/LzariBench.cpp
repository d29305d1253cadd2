// LZARI compression and expansion speed on log-like text and on random bytes.

#include "ltl/LZARI.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> TextInput(std::size_t size) {
    static const char* const kWords[] = {"frame", "WarrowTray", "0x7ffd3a2c",   "in",   "CDlgLogin::OnOK",
                                         "line",  "register",   "eax=00000000", "\r\n", "crash"};
    std::mt19937 gen(7);
    std::vector<unsigned char> out;
    while (out.size() < size) {
        const std::string word = kWords[gen() % 10];
        out.insert(out.end(), word.begin(), word.end());
        out.push_back(' ');
    }
    out.resize(size);
    return out;
}

std::vector<unsigned char> BinaryInput(std::size_t size) {
    std::mt19937 gen(11);
    std::vector<unsigned char> out(size);
    for (auto& b : out)
        b = static_cast<unsigned char>(gen());
    return out;
}

std::vector<unsigned char> Packed(const std::vector<unsigned char>& in) {
    ltl::LZARI lzari;
    unsigned char* out = nullptr;
    unsigned size = 0;
    lzari.Compress(in.data(), static_cast<unsigned>(in.size()), &out, &size);
    return {out, out + size};
}

void Compress(benchmark::State& state, const std::vector<unsigned char>& in) {
    for (auto _ : state) {
        ltl::LZARI lzari;
        unsigned char* out = nullptr;
        unsigned size = 0;
        benchmark::DoNotOptimize(lzari.Compress(in.data(), static_cast<unsigned>(in.size()), &out, &size));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
    state.counters["ratio"] = static_cast<double>(Packed(in).size()) / static_cast<double>(in.size());
}

void Expand(benchmark::State& state, const std::vector<unsigned char>& in) {
    const std::vector<unsigned char> packed = Packed(in);
    for (auto _ : state) {
        ltl::LZARI lzari;
        unsigned char* out = nullptr;
        unsigned size = 0;
        benchmark::DoNotOptimize(
            lzari.Decompress(packed.data(), static_cast<unsigned>(packed.size()), &out, &size));
    }
    // Measured in expanded bytes: what a receiver gets per second.
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

void BM_CompressText(benchmark::State& state) {
    Compress(state, TextInput(static_cast<std::size_t>(state.range(0))));
}
void BM_ExpandText(benchmark::State& state) {
    Expand(state, TextInput(static_cast<std::size_t>(state.range(0))));
}
void BM_CompressBinary(benchmark::State& state) {
    Compress(state, BinaryInput(static_cast<std::size_t>(state.range(0))));
}
void BM_ExpandBinary(benchmark::State& state) {
    Expand(state, BinaryInput(static_cast<std::size_t>(state.range(0))));
}

// 32 KiB is one full frame; 1 MiB is the largest expansion a frame may announce.
BENCHMARK(BM_CompressText)->Arg(32 << 10)->Arg(1 << 20);
BENCHMARK(BM_ExpandText)->Arg(32 << 10)->Arg(1 << 20);
BENCHMARK(BM_CompressBinary)->Arg(32 << 10)->Arg(1 << 20);
BENCHMARK(BM_ExpandBinary)->Arg(32 << 10)->Arg(1 << 20);

} // namespace

BENCHMARK_MAIN();
