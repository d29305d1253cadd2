// The coder in ltl/LZARI.h against the previous implementation kept in
// LzariReference.h: the same bytes out of both, in both directions, for valid
// and for damaged blocks; and the bounds of Expand.

#include "ltl/LZARI.h"
#include "tests/ltl/LzariReference.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

template <class Coder> Bytes Compress(const Bytes& in) {
    Coder coder;
    unsigned char* out = nullptr;
    unsigned size = 0;
    coder.Compress(in.data(), static_cast<unsigned>(in.size()), &out, &size);
    return {out, out + size};
}

// The expanded bytes followed by the terminator, which is part of the contract.
template <class Coder> Bytes Decompress(const Bytes& in) {
    Coder coder;
    unsigned char* out = nullptr;
    unsigned size = 0;
    coder.Decompress(in.data(), static_cast<unsigned>(in.size()), &out, &size);
    return {out, out + size + 1};
}

bool Expand(const Bytes& in, std::uint32_t limit, Bytes* expanded) {
    ltl::LZARI coder;
    unsigned char* out = nullptr;
    unsigned size = 0;
    if (!coder.Expand(in.data(), static_cast<unsigned>(in.size()), limit, &out, &size)) {
        EXPECT_EQ(out, nullptr);
        EXPECT_EQ(size, 0u);
        return false;
    }
    expanded->assign(out, out + size + 1);
    return true;
}

Bytes Random(std::size_t n, std::mt19937& gen) {
    Bytes b(n);
    for (auto& c : b)
        c = static_cast<unsigned char>(gen());
    return b;
}

// Words, numbers and line breaks, like the logs the report sender packs.
Bytes LogText(std::size_t n, std::mt19937& gen) {
    static const char* const kWords[] = {"frame", "账号", "0x7ffd3a2c", "in",   "OnOK",
                                         "line",  "注册", "eax=0000",   "\r\n", "crash"};
    Bytes b;
    while (b.size() < n) {
        const std::string w = kWords[gen() % 10];
        b.insert(b.end(), w.begin(), w.end());
        b.push_back(gen() % 4 == 0 ? '\n' : ' ');
    }
    b.resize(n);
    return b;
}

// Few symbols with very uneven counts: drives the character model through
// many halvings and long runs of equal frequencies.
Bytes Skewed(std::size_t n, std::mt19937& gen) {
    Bytes b(n);
    for (auto& c : b) {
        const unsigned roll = gen() % 100;
        c = static_cast<unsigned char>(roll < 70 ? 'a' : roll < 90 ? 'b' : gen() % 256);
    }
    return b;
}

// Copies of earlier pieces at every distance, of every length up to and past
// the longest match: exercises full-length matches and node replacement.
Bytes Repeats(std::size_t n, std::mt19937& gen) {
    Bytes b = Random(64, gen);
    while (b.size() < n) {
        const std::size_t distance = 1 + gen() % std::min<std::size_t>(b.size(), 5000);
        const std::size_t length = 1 + gen() % 80;
        for (std::size_t i = 0; i < length; ++i)
            b.push_back(b[b.size() - distance]);
        if (gen() % 3 == 0)
            b.push_back(static_cast<unsigned char>(gen()));
    }
    b.resize(n);
    return b;
}

// Two letters at random: every string has many earlier matches of the same
// length at different distances, so the choice among them decides the bytes.
Bytes TwoLetters(std::size_t n, std::mt19937& gen) {
    Bytes b(n);
    for (auto& c : b)
        c = gen() % 2 ? 'a' : 'b';
    return b;
}

// Copies of one 64-byte string, each with one byte changed at a position
// that walks through 1 to 63: common prefixes of every length, on both sides
// of the 16 bytes the match finder compares at once and of each word after.
Bytes SharedPrefixes(std::size_t n, std::mt19937& gen) {
    const Bytes base = Random(64, gen);
    Bytes b;
    for (std::size_t copy = 0; b.size() < n; ++copy) {
        Bytes piece = base;
        piece[1 + copy % 63] ^= static_cast<unsigned char>(1 + gen() % 255);
        b.insert(b.end(), piece.begin(), piece.end());
        if (copy % 5 == 0)
            b.push_back(static_cast<unsigned char>(gen()));
    }
    b.resize(n);
    return b;
}

// A short random string repeated: matches longer than the longest coded one,
// full-length matches that replace tree nodes, across the ring's end.
Bytes Periodic(std::size_t n, std::size_t period, std::mt19937& gen) {
    const Bytes unit = Random(period, gen);
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = unit[i % period];
    return b;
}

std::vector<Bytes> Inputs() {
    std::mt19937 gen(20261207);
    std::vector<Bytes> inputs = {
        {}, {'A'}, Bytes(59, 0x20), Bytes(60, 0x20), Bytes(61, 0), Bytes(100000, 0x20)};
    for (const std::size_t n : {1u, 2u, 3u, 7u, 58u, 59u, 60u, 61u, 62u, 200u, 4035u, 4036u, 4095u, 4096u,
                                4097u, 4155u, 8191u, 20000u}) {
        inputs.push_back(Random(n, gen));
        inputs.push_back(LogText(n, gen));
        inputs.push_back(Skewed(n, gen));
        inputs.push_back(Repeats(n, gen));
    }
    for (int i = 0; i < 40; ++i) {
        const std::size_t n = gen() % 3000;
        inputs.push_back(i % 2 ? Repeats(n, gen) : LogText(n, gen));
    }
    for (const std::size_t n : {3000u, 9000u, 40000u}) {
        inputs.push_back(TwoLetters(n, gen));
        inputs.push_back(SharedPrefixes(n, gen));
    }
    for (std::size_t period = 1; period <= 70; period += period < 20 ? 1 : 7)
        inputs.push_back(Periodic(6000 + period * 13, period, gen));
    // Inputs ending inside a long match, at every place within it: the
    // look-ahead runs dry in the middle of a round.
    const Bytes tail = Repeats(5000, gen);
    for (std::size_t cut = 0; cut < 130; ++cut) {
        Bytes in = tail;
        const Bytes repeat(in.end() - 200, in.end() - 70);
        in.insert(in.end(), repeat.begin(), repeat.begin() + static_cast<long>(cut));
        inputs.push_back(in);
    }
    inputs.push_back(LogText(300000, gen));
    inputs.push_back(Skewed(300000, gen));
    inputs.push_back(Repeats(300000, gen));
    inputs.push_back(Random(100000, gen));
    return inputs;
}

TEST(LzariDifferentialTest, CompressionMatchesTheReferenceByteForByte) {
    for (const Bytes& in : Inputs()) {
        const Bytes expected = Compress<ltl::reference::LZARI>(in);
        ASSERT_EQ(Compress<ltl::LZARI>(in), expected) << "input of " << in.size() << " bytes";
    }
}

TEST(LzariDifferentialTest, ExpansionMatchesTheReferenceAndPassesTheBounds) {
    for (const Bytes& in : Inputs()) {
        const Bytes packed = Compress<ltl::reference::LZARI>(in);
        const Bytes expected = Decompress<ltl::reference::LZARI>(packed);
        ASSERT_EQ(Decompress<ltl::LZARI>(packed), expected) << "input of " << in.size() << " bytes";
        // Every block the encoder makes passes the bounded expansion whole.
        Bytes bounded;
        ASSERT_TRUE(Expand(packed, static_cast<std::uint32_t>(in.size()), &bounded)) << in.size() << " bytes";
        EXPECT_EQ(bounded, expected);
    }
}

TEST(LzariDifferentialTest, DamagedBlocksExpandAsTheReferenceDoes) {
    std::mt19937 gen(99);
    std::vector<Bytes> blocks;
    for (const Bytes& in : {LogText(5000, gen), Repeats(9000, gen), Skewed(3000, gen), Random(700, gen)}) {
        const Bytes packed = Compress<ltl::LZARI>(in);
        for (int round = 0; round < 6; ++round) {
            Bytes damaged = packed;
            const int flips = 1 + static_cast<int>(gen() % 8);
            for (int f = 0; f < flips; ++f)
                damaged[4 + gen() % (damaged.size() - 4)] ^= static_cast<unsigned char>(1u << (gen() % 8));
            blocks.push_back(damaged);
            // Cut short: the missing code reads as 1 bits.
            blocks.emplace_back(packed.begin(), packed.begin() + 4 + gen() % (packed.size() - 4));
        }
    }
    // Pure noise announcing assorted sizes, a size field alone, and all-ones code.
    for (int i = 0; i < 30; ++i) {
        Bytes noise = Random(4 + gen() % 600, gen);
        const std::uint32_t announced = gen() % 70000;
        for (int b = 0; b < 4; ++b)
            noise[b] = static_cast<unsigned char>(announced >> (8 * b));
        blocks.push_back(noise);
    }
    blocks.push_back({0x10, 0, 0, 0});
    blocks.push_back({0x00, 0x00, 0x01, 0x00, 0xFF, 0xFF, 0xFF, 0xFF});

    for (const Bytes& block : blocks) {
        const Bytes expected = Decompress<ltl::reference::LZARI>(block);
        ASSERT_EQ(Decompress<ltl::LZARI>(block), expected) << "block of " << block.size() << " bytes";
        // The bounded expansion either refuses or gives the same bytes.
        Bytes bounded;
        if (Expand(block, 1u << 20, &bounded)) {
            EXPECT_EQ(bounded, expected);
        }
    }
}

TEST(LzariDifferentialTest, ExpandRefusesBlocksOutsideItsBounds) {
    Bytes bounded;
    EXPECT_FALSE(Expand({}, 100, &bounded));
    EXPECT_FALSE(Expand({1, 0, 0}, 100, &bounded));

    Bytes text(5000, 'x');
    for (std::size_t i = 0; i < text.size(); i += 7)
        text[i] = static_cast<unsigned char>('a' + i % 26);
    const Bytes packed = Compress<ltl::LZARI>(text);
    EXPECT_TRUE(Expand(packed, 5000, &bounded));
    EXPECT_EQ(Bytes(bounded.begin(), bounded.end() - 1), text);
    // Announcing one byte more than the receiver takes: refused before any work.
    EXPECT_FALSE(Expand(packed, 4999, &bounded));

    // A 10-byte block announcing 1 MiB: its code runs out long before, and
    // the lenient expansion would invent the rest from 1 bits.
    const Bytes greedy = {0x00, 0x00, 0x10, 0x00, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC};
    EXPECT_FALSE(Expand(greedy, 1u << 20, &bounded));
    // The same block's true bytes cut off: refused once the missing code is needed.
    EXPECT_FALSE(
        Expand(Bytes(packed.begin(), packed.begin() + static_cast<long>(packed.size() / 2)), 5000, &bounded));
    // Losing only the final byte may still be enough to expand; never more than announced.
    Bytes shortByOne(packed.begin(), packed.end() - 1);
    if (Expand(shortByOne, 5000, &bounded)) {
        EXPECT_EQ(bounded.size(), 5001u);
    }
}

} // namespace
