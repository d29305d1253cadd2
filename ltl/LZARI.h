#pragma once
// LZARI: LZSS over a 4096-byte ring with a search tree of earlier strings,
// literals, match lengths and match positions coded by an adaptive arithmetic
// coder. Message bodies compressed here are expanded by peers that run the
// same 1989 algorithm, so every parameter, model rule and tie-break below is
// kept exactly; changing any of them changes the bit stream. The machinery
// differs from the classic program's for speed (16 bytes of two strings
// compared as one number, matches scored only where one is coded, a Fenwick
// tree behind the character model, each symbol's renormalisation done at
// once with bits moved a word at a time, the expander's output as its own
// window), but the bytes in and out are the same: tests/ltl keeps the
// previous, step-by-step coder and checks the two against each other.
//
// One object serves one operation: its output lives as long as the object.

#include "ltl/LzariBits.h"
#include "ltl/LzariModel.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>

namespace ltl {

class LZARI {
public:
    static constexpr int N = lzari::kWindow;            // ring buffer size
    static constexpr int F = lzari::kLookAhead;         // look-ahead, longest match
    static constexpr int THRESHOLD = lzari::kThreshold; // matches longer than this are coded as matches
    static constexpr int NIL = N;                       // empty tree link
    static constexpr int M = 15;                        // coder precision in bits
    static constexpr std::uint32_t Q1 = 1u << M;
    static constexpr std::uint32_t Q2 = 2 * Q1;
    static constexpr std::uint32_t Q3 = 3 * Q1;
    static constexpr std::uint32_t Q4 = 4 * Q1;
    static constexpr std::uint32_t MAX_CUM = lzari::kMaxCum;
    static constexpr int N_CHAR = lzari::kSymbols; // 0-255 literals, 256-313 lengths 3-60
    static constexpr unsigned char FILL = 0x20;

    // A block made by Compress never makes the expander read more than two
    // bytes past its end (its last byte holds the final bits, and the
    // expander looks 17 bits ahead); Expand refuses a block that needs more.
    static constexpr std::uint32_t kMaxBytesPastEnd = 4;

    LZARI() : m_state(std::make_unique<State>()) {}

    // Writes the 4-byte input size and the code bits. *out stays valid until
    // this object is destroyed.
    unsigned Compress(const unsigned char* in, unsigned size, unsigned char** out, unsigned* outSize) {
        m_out.resize(4);
        for (int i = 0; i < 4; ++i)
            m_out.data()[i] = static_cast<unsigned char>(size >> (8 * i));
        if (size != 0)
            Encode(in, size);
        return Finish(out, outSize);
    }

    // Expands a block made by Compress. The output holds one extra zero byte
    // after the expanded data that *outSize does not count. A block shorter
    // than its size field throws the integer 1 ("Read Error"); a damaged block
    // expands into wrong bytes of the announced size. Blocks from outside go
    // through Expand instead.
    unsigned Decompress(const unsigned char* in, unsigned size, unsigned char** out, unsigned* outSize) {
        if (size < 4)
            throw 1;
        Decode(in + 4, size - 4, ReadSize(in), false);
        const unsigned n = Finish(out, outSize);
        *outSize = n - 1;
        return n - 1;
    }

    // Expands a block received from outside, refusing at once a block too
    // short for its size field or announcing more than maxExpanded bytes, and
    // stopping as soon as the code runs out (more than kMaxBytesPastEnd bytes
    // read past its end), so that the work is bounded by the block's length as
    // well as by maxExpanded. On success *out and *outSize are as for
    // Decompress; on refusal they are null and 0.
    bool Expand(const unsigned char* in, unsigned size, std::uint32_t maxExpanded, unsigned char** out,
                unsigned* outSize) {
        *out = nullptr;
        *outSize = 0;
        if (size < 4 || ReadSize(in) > maxExpanded)
            return false;
        if (!Decode(in + 4, size - 4, ReadSize(in), true)) {
            m_out.resize(0);
            return false;
        }
        *out = m_out.data();
        *outSize = static_cast<unsigned>(m_out.size() - 1);
        return true;
    }

    // The expanded size a block announces in its first four bytes (the
    // caller checks that there are four).
    static std::uint32_t ReadSize(const unsigned char* in) {
        return std::uint32_t{in[0]} | std::uint32_t{in[1]} << 8 | std::uint32_t{in[2]} << 16 |
               std::uint32_t{in[3]} << 24;
    }

protected:
    struct State {
        // User-provided, so that the model's large table is not zeroed first.
        State() {}

        // The ring; its first F - 1 bytes are mirrored after its end so that
        // a string near the end reads on without wrapping, and 8 more bytes
        // let the string compare load whole words.
        unsigned char text_buf[N + F - 1 + 8] = {};
        int match_position = 0;
        int match_length = 0;
        // The search trees: child[p][0] holds the left link, child[p][1] the
        // right one; the roots N + 1 to N + 256 use the right link only.
        std::uint16_t child[N + 257][2] = {};
        std::uint16_t dad[N + 1] = {};
        lzari::CharModel model;
    };

    unsigned Finish(unsigned char** out, unsigned* outSize) {
        *out = m_out.data();
        *outSize = static_cast<unsigned>(m_out.size());
        return *outSize;
    }

    // ---- search trees of earlier strings (encoder only) ----

    void InitTree() {
        State& s = *m_state;
        for (int i = N + 1; i <= N + 256; i++)
            s.child[i][1] = NIL;
        for (int i = 0; i < N; i++)
            s.dad[i] = NIL;
    }

    // Eight bytes as a number whose order is that of the bytes compared
    // one by one.
    static std::uint64_t BigEndianWord(const unsigned char* p) {
        std::uint64_t w;
        std::memcpy(&w, p, 8);
        if constexpr (std::endian::native == std::endian::little)
            w = __builtin_bswap64(w);
        return w;
    }

    // The length (17 to F) of the common run of bytes 1 to F - 1 of two
    // strings whose bytes 1 to 16 agree; below F, `larger` tells whether the
    // key's first differing byte is the larger one. Bytes past F - 1 are read
    // (the ring has room for them) but do not count.
    static int CommonLengthPast16(const unsigned char* key, const unsigned char* other, unsigned& larger) {
        for (int i = 17; i < F; i += 8) {
            const std::uint64_t a = BigEndianWord(key + i);
            const std::uint64_t b = BigEndianWord(other + i);
            if (a != b) {
                const int at = i + std::countl_zero(a ^ b) / 8;
                larger = a > b;
                return at < F ? at : F;
            }
        }
        return F;
    }

    // Inserts the string at r; with kFindMatch, also leaves the longest
    // earlier match met on the way in match_position/match_length (of equally
    // long matches the nearest wins; a length of THRESHOLD or less counts as
    // none). Only the last string inserted before a symbol is coded needs its
    // match, so the others walk the tree without keeping score. A full-length
    // match replaces the older node, which would leave the window first.
    void InsertNode(int r) { InsertNode<true>(r); }

    template <bool kFindMatch> void InsertNode(int r) {
        __extension__ typedef unsigned __int128 Word128; // GCC and Clang have it on every 64-bit target
        State& s = *m_state;
        const unsigned char* const text = s.text_buf;
        const unsigned char* const key = text + r;
        // Bytes 1 to 16 of the key as one number: most strings differ within
        // them, so that a single 128-bit compare picks the side to follow.
        const std::uint64_t key0 = BigEndianWord(key + 1);
        const std::uint64_t key1 = BigEndianWord(key + 9);
        const Word128 keyHead = Word128{key0} << 64 | key1;
        unsigned p = N + 1 + key[0]; // the root of the strings starting with key[0]
        unsigned right = 1;          // the side to follow: the last compare found the key larger
        unsigned next = s.child[p][1];
        // The best match as length << 12 | (N - 1 - distance): the larger, the
        // longer and, of equal length, the nearer. It starts at the highest
        // score a match of THRESHOLD bytes can have, so that no match of
        // THRESHOLD bytes or less ever replaces it.
        const unsigned nearness = static_cast<unsigned>(-r - 1); // plus p, modulo N: N - 1 - distance
        unsigned best = ((THRESHOLD + 1) << 12) - 1;
        s.child[r][0] = s.child[r][1] = NIL;
        while (next != NIL) {
            p = next;
            std::uint32_t links; // both links at once; the compare picks one without a branch
            std::memcpy(&links, s.child[p], sizeof links);
            const unsigned char* const other = text + p;
            const std::uint64_t other0 = BigEndianWord(other + 1);
            const std::uint64_t other1 = BigEndianWord(other + 9);
            const Word128 otherHead = Word128{other0} << 64 | other1;
            unsigned length = 0;
            if (keyHead != otherHead) [[likely]] {
                right = keyHead > otherHead;
                if constexpr (kFindMatch) {
                    const std::uint64_t diff0 = key0 ^ other0;
                    const std::uint64_t inSecond = -static_cast<std::uint64_t>(diff0 == 0);
                    const std::uint64_t diff = diff0 | ((key1 ^ other1) & inSecond);
                    // diff is not zero; `| 1` tells the compiler so.
                    length = 1 + static_cast<unsigned>(inSecond & 8) +
                             static_cast<unsigned>(std::countl_zero(diff | 1)) / 8;
                }
            } else {
                length = static_cast<unsigned>(CommonLengthPast16(key, other, right));
                if (length >= F) {
                    if constexpr (kFindMatch) {
                        s.match_length = F;
                        s.match_position = static_cast<int>((r - static_cast<int>(p)) & (N - 1));
                    }
                    ReplaceNode(static_cast<int>(p), r);
                    return;
                }
            }
            if constexpr (kFindMatch)
                best = std::max(best, length << 12 | ((p + nearness) & (N - 1)));
            next = (links >> (16 * right)) & 0xFFFF;
        }
        s.child[p][right] = static_cast<std::uint16_t>(r);
        s.dad[r] = static_cast<std::uint16_t>(p);
        if constexpr (kFindMatch) {
            const int length = static_cast<int>(best >> 12);
            s.match_length = length > THRESHOLD ? length : 0;
            if (length > THRESHOLD)
                s.match_position = static_cast<int>(N - 1 - (best & (N - 1)));
        }
    }

    // r takes the place of p, whose string it repeats in full: p would leave
    // the window first.
    void ReplaceNode(int p, int r) {
        State& s = *m_state;
        Replace(p, r);
        s.child[r][0] = s.child[p][0];
        s.child[r][1] = s.child[p][1];
        s.dad[s.child[p][0]] = static_cast<std::uint16_t>(r);
        s.dad[s.child[p][1]] = static_cast<std::uint16_t>(r);
    }

    // Puts q where p hangs from its parent and takes p out of the tree.
    void Replace(int p, int q) {
        State& s = *m_state;
        const int parent = s.dad[p];
        s.dad[q] = static_cast<std::uint16_t>(parent);
        s.child[parent][s.child[parent][1] == p ? 1 : 0] = static_cast<std::uint16_t>(q);
        s.dad[p] = NIL;
    }

    void DeleteNode(int p) {
        State& s = *m_state;
        if (s.dad[p] == NIL)
            return;
        auto& kids = s.child;
        int q;
        if (kids[p][1] == NIL) {
            q = kids[p][0];
        } else if (kids[p][0] == NIL) {
            q = kids[p][1];
        } else {
            // Both children: the rightmost node of the left subtree takes p's place.
            q = kids[p][0];
            if (kids[q][1] != NIL) {
                do {
                    q = kids[q][1];
                } while (kids[q][1] != NIL);
                kids[s.dad[q]][1] = kids[q][0];
                s.dad[kids[q][0]] = s.dad[q];
                kids[q][0] = kids[p][0];
                s.dad[kids[p][0]] = static_cast<std::uint16_t>(q);
            }
            kids[q][1] = kids[p][1];
            s.dad[kids[p][1]] = static_cast<std::uint16_t>(q);
        }
        Replace(p, q);
    }

    // ---- the two directions ----

    // The encoder's half of the arithmetic coder.
    struct Encoder {
        lzari::BitWriter bits;
        std::uint32_t low = 0;
        std::uint32_t high = Q4;
        unsigned shifts = 0; // halvings that straddled the middle, settled by the next bit

        void Code(std::uint32_t cumHigh, std::uint32_t cumLow, std::uint32_t total) {
            const std::uint32_t range = high - low;
            high = low + range * cumHigh / total;
            low += range * cumLow / total;
            // Each settled halving writes the bit it settled, the first one
            // followed by the complements owed to earlier straddling ones.
            const lzari::Halvings h = lzari::Halvings::Of(low, high);
            if (h.settled != 0) {
                const std::uint32_t settledBits = low >> (M + 2 - h.settled);
                bits.PutWithFollowers(settledBits >> (h.settled - 1), shifts);
                shifts = 0;
                if (h.settled > 1)
                    bits.Put(settledBits & ((1u << (h.settled - 1)) - 1), h.settled - 1);
            }
            shifts += static_cast<unsigned>(h.straddled);
            low = h.low;
            high = h.high;
        }

        void End() {
            bits.PutWithFollowers(low < Q1 ? 0 : 1, shifts + 1);
            bits.Put(0, 7); // completes the last byte
            bits.Finish();
        }
    };

    void Encode(const unsigned char* in, unsigned size) {
        State& st = *m_state;
        lzari::CharModel& model = st.model;
        model.Reset();
        Encoder coder{lzari::BitWriter(m_out, 4)};
        const auto encodeChar = [&](int ch) {
            const int sym = model.SymbolOf(ch);
            std::uint32_t cumHigh;
            std::uint32_t cumLow;
            model.Bounds(sym, cumHigh, cumLow);
            coder.Code(cumHigh, cumLow, model.Total());
            model.Update(sym);
        };
        const auto encodePosition = [&](int position) {
            std::uint32_t cumHigh;
            std::uint32_t cumLow;
            lzari::PositionModel::Bounds(position, cumHigh, cumLow);
            coder.Code(cumHigh, cumLow, lzari::PositionModel::Total());
        };

        unsigned char* const text = st.text_buf;
        std::memset(text, 0, sizeof st.text_buf);
        InitTree();
        int s = 0;
        int r = N - F;
        std::memset(text, FILL, static_cast<std::size_t>(r));
        unsigned inPos = std::min<unsigned>(F, size);
        int len = static_cast<int>(inPos);
        std::memcpy(text + r, in, inPos);
        for (int i = 1; i <= F; i++)
            InsertNode<false>(r - i);
        InsertNode<true>(r);
        do {
            if (st.match_length > len)
                st.match_length = len;
            if (st.match_length <= THRESHOLD) {
                st.match_length = 1;
                encodeChar(text[r]);
            } else {
                encodeChar(255 - THRESHOLD + st.match_length);
                encodePosition(st.match_position - 1);
            }
            // The round's last insertion finds the match the next round codes.
            const int last_match_length = st.match_length;
            int i;
            for (i = 0; i < last_match_length && inPos < size; i++) {
                const unsigned char c = in[inPos++];
                DeleteNode(s);
                text[s] = c;
                if (s < F - 1)
                    text[s + N] = c;
                s = (s + 1) & (N - 1);
                r = (r + 1) & (N - 1);
                if (i + 1 == last_match_length)
                    InsertNode<true>(r);
                else
                    InsertNode<false>(r);
            }
            // The input has run out: the look-ahead shrinks, and the round
            // ends with the input when len reaches 0.
            while (i++ < last_match_length) {
                DeleteNode(s);
                s = (s + 1) & (N - 1);
                r = (r + 1) & (N - 1);
                if (--len == 0)
                    continue;
                if (i == last_match_length)
                    InsertNode<true>(r);
                else
                    InsertNode<false>(r);
            }
        } while (len > 0);
        coder.End();
    }

    // The expander's half of the arithmetic coder.
    struct Decoder {
        lzari::BitReader bits;
        std::uint32_t low = 0;
        std::uint32_t high = Q4;
        std::uint32_t value = 0;

        void Start() { value = static_cast<std::uint32_t>(bits.Get(M + 2)); }

        // The count the next symbol's share holds. The coder works in 32-bit
        // unsigned arithmetic like the original; on a damaged block the value
        // may wrap, which only yields wrong symbols, never a bad index.
        std::uint32_t Target(std::uint32_t total) const {
            return ((value - low + 1) * total - 1) / (high - low);
        }

        void Take(std::uint32_t cumHigh, std::uint32_t cumLow, std::uint32_t total) {
            const std::uint32_t range = high - low;
            high = low + range * cumHigh / total;
            low += range * cumLow / total;
            // The value follows the interval through every halving: a settled
            // one subtracts the half low lay in, a straddling one a quarter;
            // each doubles it and shifts in a bit. Done at once, modulo 2^32
            // as the step-by-step coder's 32-bit value wraps on damaged blocks.
            const lzari::Halvings h = lzari::Halvings::Of(low, high);
            const int n = h.settled + h.straddled;
            const std::uint64_t settledHalves = low >> (M + 2 - h.settled);
            const std::uint64_t next = (std::uint64_t{value} << n) -
                                       (settledHalves << (M + 2 + h.straddled)) -
                                       (((std::uint64_t{1} << h.straddled) - 1) << (M + 1)) + bits.Get(n);
            value = static_cast<std::uint32_t>(next);
            low = h.low;
            high = h.high;
        }
    };

    // Stops at the announced size even where a damaged block codes a match
    // running past it. With `bounded`, also stops (returning false) once the
    // code has run out.
    bool Decode(const unsigned char* in, unsigned size, std::uint32_t textsize, bool bounded) {
        if (textsize == 0) {
            m_out.resize(1);
            m_out.data()[0] = 0;
            return true;
        }
        Decoder coder{lzari::BitReader(in, size)};
        coder.Start();
        lzari::CharModel& model = m_state->model;
        model.Reset();

        // Beyond its first megabyte the output grows in steps as it fills,
        // each leaving room for one whole match and the terminator. The
        // output itself serves as the window: a match reaching back before
        // its start reads the ring's first content instead.
        std::size_t room = std::min<std::size_t>(textsize, kFirstOutputStep);
        m_out.resize(0);
        m_out.resize(room + 1);
        unsigned char* dst = m_out.data();
        std::uint32_t count = 0;
        while (count < textsize) {
            if (bounded && coder.bits.BitsPastEnd() > 8 * kMaxBytesPastEnd)
                return false;
            if (room - count < F && room < textsize) {
                room = std::min<std::size_t>(textsize, 2 * room + F);
                m_out.resize(room + 1);
                dst = m_out.data();
            }
            std::uint32_t cumHigh;
            std::uint32_t cumLow;
            const int sym = model.Find(coder.Target(model.Total()));
            model.Bounds(sym, cumHigh, cumLow);
            coder.Take(cumHigh, cumLow, model.Total());
            const int c = model.CharOf(sym);
            model.Update(sym);
            if (c < 256) {
                dst[count++] = static_cast<unsigned char>(c);
                continue;
            }
            const int position = lzari::PositionModel::Find(coder.Target(lzari::PositionModel::Total()));
            lzari::PositionModel::Bounds(position, cumHigh, cumLow);
            coder.Take(cumHigh, cumLow, lzari::PositionModel::Total());
            const auto distance = static_cast<std::uint32_t>(position + 1);
            const std::uint32_t length = std::min<std::uint32_t>(c - 255 + THRESHOLD, textsize - count);
            unsigned char* out = dst + count;
            if (distance <= count) {
                const unsigned char* from = out - distance;
                if (distance >= length) {
                    std::memcpy(out, from, length);
                } else {
                    for (std::uint32_t k = 0; k < length; k++)
                        out[k] = from[k]; // overlapping: repeats the last `distance` bytes
                }
            } else {
                for (std::uint32_t k = 0; k < length; k++)
                    out[k] = count + k >= distance ? dst[count + k - distance]
                                                   : FirstRingByte(count + k - distance);
            }
            count += length;
        }
        dst[count] = 0;
        m_out.resize(std::size_t{count} + 1);
        return true;
    }

    // What the ring held at the place `back` bytes (counted modulo N) before
    // the first output byte: blanks, then zeros where the look-ahead was.
    static unsigned char FirstRingByte(std::uint32_t back) {
        const std::uint32_t index = (N - F + back) & (N - 1);
        return index < N - F ? FILL : 0;
    }

    // Allocated at once but only touched as written, so that a short block
    // announcing much costs no more than the bytes it really produces.
    static constexpr std::size_t kFirstOutputStep = 1u << 20;

    std::unique_ptr<State> m_state;
    lzari::ByteBuffer m_out;
};

} // namespace ltl
