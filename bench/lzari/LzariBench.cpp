// LZARI compression and expansion speed, the current coder beside the
// previous one (kept with the tests as its reference), on 10 MiB of mixed text
// and binary, on log-like text and on random bytes; and the cost of receiving
// a 14-byte frame that announces 1 MiB of expanded body.
//
// Names: <direction>/<input>/<coder>, coder "new" (ltl/LZARI.h) or "ref".

#include "ltl/LZARI.h"
#include "net/NetException.h"
#include "net/UserLoginMessage.h"
#include "tests/ltl/LzariReference.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes TextInput(std::size_t size, unsigned seed = 7) {
    static const char* const kWords[] = {"frame", "WarrowTray", "0x7ffd3a2c",   "in",   "CDlgLogin::OnOK",
                                         "line",  "register",   "eax=00000000", "\r\n", "crash"};
    std::mt19937 gen(seed);
    Bytes out;
    while (out.size() < size) {
        const std::string word = kWords[gen() % 10];
        out.insert(out.end(), word.begin(), word.end());
        out.push_back(' ');
    }
    out.resize(size);
    return out;
}

Bytes RandomInput(std::size_t size, unsigned seed = 11) {
    std::mt19937 gen(seed);
    Bytes out(size);
    for (auto& b : out)
        b = static_cast<unsigned char>(gen());
    return out;
}

// Tables of little-endian counters and offsets with runs of zeros, as in
// program images and database pages.
Bytes TableInput(std::size_t size, std::mt19937& gen) {
    Bytes out;
    std::uint32_t value = gen() % 1000;
    while (out.size() < size) {
        value += gen() % 17;
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<unsigned char>(value >> (8 * i)));
        if (gen() % 8 == 0)
            out.insert(out.end(), gen() % 48, 0);
    }
    out.resize(size);
    return out;
}

// 10 MiB of pieces of 1 to 64 KiB: log text, tables and random bytes.
Bytes MixedInput() {
    constexpr std::size_t kSize = 10u << 20;
    std::mt19937 gen(2026);
    Bytes out;
    while (out.size() < kSize) {
        const std::size_t piece = 1024 + gen() % (63u << 10);
        Bytes part;
        switch (gen() % 3) {
        case 0:
            part = TextInput(piece, gen());
            break;
        case 1:
            part = TableInput(piece, gen);
            break;
        default:
            part = RandomInput(piece, gen());
            break;
        }
        out.insert(out.end(), part.begin(), part.end());
    }
    out.resize(kSize);
    return out;
}

template <class Coder> Bytes Packed(const Bytes& in) {
    Coder coder;
    unsigned char* out = nullptr;
    unsigned size = 0;
    coder.Compress(in.data(), static_cast<unsigned>(in.size()), &out, &size);
    return {out, out + size};
}

template <class Coder> void Compress(benchmark::State& state, const Bytes& in) {
    for (auto _ : state) {
        Coder coder;
        unsigned char* out = nullptr;
        unsigned size = 0;
        benchmark::DoNotOptimize(coder.Compress(in.data(), static_cast<unsigned>(in.size()), &out, &size));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
    state.counters["ratio"] = static_cast<double>(Packed<Coder>(in).size()) / static_cast<double>(in.size());
}

// Measured in expanded bytes: what a receiver gets per second.
template <class Coder> void Expand(benchmark::State& state, const Bytes& in) {
    const Bytes packed = Packed<ltl::LZARI>(in);
    for (auto _ : state) {
        Coder coder;
        unsigned char* out = nullptr;
        unsigned size = 0;
        benchmark::DoNotOptimize(
            coder.Decompress(packed.data(), static_cast<unsigned>(packed.size()), &out, &size));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

// A login answer frame whose 11-byte compressed body announces 1 MiB.
const unsigned char kGreedyFrame[] = {0x0E, 0x80, 0x01, 0x00, 0x00, 0x10, 0x00,
                                      0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE};

// What receiving it costs now: Unpack refuses it once the code runs out.
void UnpackGreedyFrame(benchmark::State& state) {
    for (auto _ : state) {
        std::unique_ptr<CMsg> msg(user_login_message::CreateLoginMessage(kGreedyFrame[2]));
        try {
            msg->Unpack(kGreedyFrame, sizeof kGreedyFrame, nullptr);
        } catch (const net_exception&) {
        }
        benchmark::DoNotOptimize(msg.get());
    }
}

// What it cost before: the previous coder expanded the whole announced size.
void ReferenceExpandGreedyBlock(benchmark::State& state) {
    for (auto _ : state) {
        ltl::reference::LZARI coder;
        unsigned char* out = nullptr;
        unsigned size = 0;
        benchmark::DoNotOptimize(coder.Decompress(kGreedyFrame + 3, sizeof kGreedyFrame - 3, &out, &size));
    }
}

void Register(const std::string& input, const Bytes& data) {
    benchmark::RegisterBenchmark(("compress/" + input + "/ref").c_str(),
                                 [data](benchmark::State& s) { Compress<ltl::reference::LZARI>(s, data); });
    benchmark::RegisterBenchmark(("compress/" + input + "/new").c_str(),
                                 [data](benchmark::State& s) { Compress<ltl::LZARI>(s, data); });
    benchmark::RegisterBenchmark(("expand/" + input + "/ref").c_str(),
                                 [data](benchmark::State& s) { Expand<ltl::reference::LZARI>(s, data); });
    benchmark::RegisterBenchmark(("expand/" + input + "/new").c_str(),
                                 [data](benchmark::State& s) { Expand<ltl::LZARI>(s, data); });
}

} // namespace

int main(int argc, char** argv) {
    Register("mixed-10MiB", MixedInput());
    // 32 KiB is one full frame; 1 MiB is the largest expansion a frame may announce.
    Register("text-32KiB", TextInput(32u << 10));
    Register("text-1MiB", TextInput(1u << 20));
    Register("random-32KiB", RandomInput(32u << 10));
    Register("random-1MiB", RandomInput(1u << 20));
    benchmark::RegisterBenchmark("receive-greedy-frame/ref", ReferenceExpandGreedyBlock);
    benchmark::RegisterBenchmark("receive-greedy-frame/new", UnpackGreedyFrame);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
