#include "ltl/LZARI.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Compress(const Bytes& in) {
    ltl::LZARI lzari;
    unsigned char* out = nullptr;
    unsigned size = 0;
    EXPECT_EQ(lzari.Compress(in.data(), static_cast<unsigned>(in.size()), &out, &size), size);
    return {out, out + size};
}

Bytes Expand(const Bytes& in) {
    ltl::LZARI lzari;
    unsigned char* out = nullptr;
    unsigned size = 0;
    lzari.Decompress(in.data(), static_cast<unsigned>(in.size()), &out, &size);
    EXPECT_EQ(out[size], 0) << "the uncounted terminator";
    return {out, out + size};
}

Bytes Text(const std::string& s) {
    return {s.begin(), s.end()};
}

Bytes Random(std::size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    Bytes b(n);
    for (auto& c : b)
        c = static_cast<unsigned char>(gen());
    return b;
}

TEST(LzariTest, ExactOutputOfSmallInputs) {
    EXPECT_EQ(Compress({}), (Bytes{0, 0, 0, 0}));
    EXPECT_TRUE(Expand({0, 0, 0, 0}).empty());
    // One literal 'A' worked through the coder by hand: bits 1100101 for the
    // symbol, 0 and one pending 1 at the end, then seven 0 bits.
    EXPECT_EQ(Compress(Text("A")), (Bytes{1, 0, 0, 0, 0xCA, 0x80}));
    EXPECT_EQ(Expand({1, 0, 0, 0, 0xCA, 0x80}), Text("A"));
}

TEST(LzariTest, SizeFieldAndRatioFollowTheInput) {
    const Bytes distinct = Text("0123456789");
    const Bytes packed = Compress(distinct);
    EXPECT_GT(packed.size(), distinct.size());
    EXPECT_EQ(packed[0], 10);

    // The window starts filled with blanks, so blanks cost almost nothing.
    const Bytes blanks(1000, 0x20);
    const Bytes small = Compress(blanks);
    EXPECT_LT(small.size(), 40u);
    EXPECT_EQ(small[0], 0xE8);
    EXPECT_EQ(small[1], 0x03);
    EXPECT_EQ(Expand(small), blanks);
}

TEST(LzariTest, RoundTripRestoresEveryInput) {
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += "账号 " + std::to_string(i * 7919 % 1000) + " line\r\n";
    std::vector<Bytes> inputs = {Text("a"),       Bytes(59, 'x'),  Bytes(60, 'x'),  Bytes(61, 'x'),
                                 Random(4095, 1), Random(4096, 2), Random(4097, 3), Random(70000, 4),
                                 Text(text),      Bytes(200000, 0)};
    // Enough repetition to drive the character model past its halving point.
    Bytes skewed;
    for (int i = 0; i < 200000; ++i)
        skewed.push_back(static_cast<unsigned char>(i % 3 == 0 ? 'a' : (i * 31) % 7));
    inputs.push_back(skewed);
    for (const Bytes& in : inputs) {
        const Bytes packed = Compress(in);
        ASSERT_EQ(packed[0] | packed[1] << 8 | packed[2] << 16 | packed[3] << 24,
                  static_cast<int>(in.size()));
        EXPECT_EQ(Expand(packed), in) << "input of " << in.size() << " bytes";
    }
}

TEST(LzariTest, DamagedBlocksExpandToTheAnnouncedSizeOnly) {
    Bytes packed = Compress(Text(std::string(3000, 'q') + "tail of the text"));
    for (std::size_t i = 4; i < packed.size(); i += 3)
        packed[i] ^= 0x5A;
    EXPECT_EQ(Expand(packed).size(), 3016u);

    // Code bits past the end read as ones; the expansion still stops at the size.
    EXPECT_EQ(Expand({0x10, 0, 0, 0}).size(), 16u);
    ltl::LZARI lzari;
    unsigned char* out = nullptr;
    unsigned size = 0;
    const unsigned char three[] = {1, 0, 0};
    EXPECT_THROW(lzari.Decompress(three, 3, &out, &size), int);
}

// Reaches the match search of the encoder.
class CLzariProbe : public ltl::LZARI {
public:
    CLzariProbe() { InitTree(); }
    void Put(int pos, const std::string& s) {
        for (std::size_t i = 0; i < s.size(); ++i)
            m_state->text_buf[pos + static_cast<int>(i)] = static_cast<unsigned char>(s[i]);
    }
    void Insert(int r) { InsertNode(r); }
    int Position() const { return m_state->match_position; }
    int Length() const { return m_state->match_length; }
};

TEST(LzariTest, OfEquallyLongMatchesTheNearestIsTaken) {
    // The search meets the farther string first and an equally long, nearer one below it.
    CLzariProbe probe;
    probe.Put(100, "abcdX");
    probe.Put(300, "abcdZ");
    probe.Insert(100);
    probe.Insert(300);
    probe.Put(400, "abcdY");
    probe.Insert(400);
    EXPECT_EQ(probe.Length(), 4);
    EXPECT_EQ(probe.Position(), 100); // 400 - 300, not 400 - 100
}

} // namespace
