#pragma once
// LZARI: LZSS over a 4096-byte ring with a search tree of earlier strings,
// literals, match lengths and match positions coded by an adaptive arithmetic
// coder. Message bodies compressed here are expanded by peers that run the
// same 1989 algorithm, so every parameter, model rule and tie-break below is
// kept exactly; changing any of them changes the bit stream. The machinery is
// faster than the classic program's (word-wide string compares, a Fenwick tree
// behind the character model, bits moved a word at a time, coder state kept
// in registers), but the bytes in and out are the same.
//
// One object serves one operation: its output lives as long as the object.

#include "ltl/LzariBits.h"
#include "ltl/LzariModel.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

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
        m_out.assign(4, 0);
        for (int i = 0; i < 4; ++i)
            m_out[i] = static_cast<unsigned char>(size >> (8 * i));
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
            m_out.clear();
            return false;
        }
        *out = m_out.data();
        *outSize = static_cast<unsigned>(m_out.size() - 1);
        return true;
    }

protected:
    struct State {
        // The ring; its first F - 1 bytes are mirrored after its end so that
        // a string near the end reads on without wrapping, and 8 more bytes
        // let the string compare load whole words.
        unsigned char text_buf[N + F - 1 + 8] = {};
        int match_position = 0;
        int match_length = 0;
        std::uint16_t lson[N + 1] = {};
        std::uint16_t rson[N + 257] = {};
        std::uint16_t dad[N + 1] = {};
    };

    static std::uint32_t ReadSize(const unsigned char* in) {
        return std::uint32_t{in[0]} | std::uint32_t{in[1]} << 8 | std::uint32_t{in[2]} << 16 |
               std::uint32_t{in[3]} << 24;
    }

    unsigned Finish(unsigned char** out, unsigned* outSize) {
        *out = m_out.data();
        *outSize = static_cast<unsigned>(m_out.size());
        return *outSize;
    }

    // ---- search trees of earlier strings (encoder only) ----

    void InitTree() {
        State& s = *m_state;
        for (int i = N + 1; i <= N + 256; i++)
            s.rson[i] = NIL;
        for (int i = 0; i < N; i++)
            s.dad[i] = NIL;
    }

    // The length (1 to F) of the common run of bytes 1 to F - 1 of the two
    // strings, counting byte 0 as common; below F, cmp gets the sign of the
    // first difference.
    static int CommonLength(const unsigned char* key, const unsigned char* other, int& cmp) {
        for (int i = 1; i < F; i += 8) {
            std::uint64_t a;
            std::uint64_t b;
            std::memcpy(&a, key + i, 8);
            std::memcpy(&b, other + i, 8);
            const std::uint64_t diff = a ^ b;
            if (diff != 0) {
                const int zeros = std::endian::native == std::endian::little ? std::countr_zero(diff)
                                                                             : std::countl_zero(diff);
                const int at = i + zeros / 8;
                if (at >= F)
                    return F;
                cmp = key[at] - other[at];
                return at;
            }
        }
        return F;
    }

    // Inserts the string at r and leaves the longest earlier match in
    // match_position/match_length; of equally long matches the nearest wins.
    // A full-length match replaces the older node, which would leave the
    // window first.
    void InsertNode(int r) {
        State& s = *m_state;
        const unsigned char* key = &s.text_buf[r];
        int cmp = 1;
        int p = N + 1 + key[0];
        int length = 0;
        int position = s.match_position;
        s.rson[r] = s.lson[r] = NIL;
        for (;;) {
            std::uint16_t& link = cmp >= 0 ? s.rson[p] : s.lson[p];
            if (link == NIL) {
                link = static_cast<std::uint16_t>(r);
                s.dad[r] = static_cast<std::uint16_t>(p);
                s.match_length = length;
                s.match_position = position;
                return;
            }
            p = link;
            const int i = CommonLength(key, &s.text_buf[p], cmp);
            if (i > THRESHOLD) {
                if (i > length) {
                    position = (r - p) & (N - 1);
                    if ((length = i) >= F)
                        break;
                } else if (i == length) {
                    const int temp = (r - p) & (N - 1);
                    if (temp < position)
                        position = temp;
                }
            }
        }
        s.match_length = length;
        s.match_position = position;
        s.dad[r] = s.dad[p];
        s.lson[r] = s.lson[p];
        s.rson[r] = s.rson[p];
        s.dad[s.lson[p]] = static_cast<std::uint16_t>(r);
        s.dad[s.rson[p]] = static_cast<std::uint16_t>(r);
        if (s.rson[s.dad[p]] == p)
            s.rson[s.dad[p]] = static_cast<std::uint16_t>(r);
        else
            s.lson[s.dad[p]] = static_cast<std::uint16_t>(r);
        s.dad[p] = NIL;
    }

    void DeleteNode(int p) {
        State& s = *m_state;
        if (s.dad[p] == NIL)
            return;
        int q;
        if (s.rson[p] == NIL) {
            q = s.lson[p];
        } else if (s.lson[p] == NIL) {
            q = s.rson[p];
        } else {
            q = s.lson[p];
            if (s.rson[q] != NIL) {
                do {
                    q = s.rson[q];
                } while (s.rson[q] != NIL);
                s.rson[s.dad[q]] = s.lson[q];
                s.dad[s.lson[q]] = s.dad[q];
                s.lson[q] = s.lson[p];
                s.dad[s.lson[p]] = static_cast<std::uint16_t>(q);
            }
            s.rson[q] = s.rson[p];
            s.dad[s.rson[p]] = static_cast<std::uint16_t>(q);
        }
        s.dad[q] = s.dad[p];
        if (s.rson[s.dad[p]] == p)
            s.rson[s.dad[p]] = static_cast<std::uint16_t>(q);
        else
            s.lson[s.dad[p]] = static_cast<std::uint16_t>(q);
        s.dad[p] = NIL;
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
            for (;;) {
                if (high <= Q2) {
                    bits.PutWithFollowers(0, shifts);
                    shifts = 0;
                } else if (low >= Q2) {
                    bits.PutWithFollowers(1, shifts);
                    shifts = 0;
                    low -= Q2;
                    high -= Q2;
                } else if (low >= Q1 && high <= Q3) {
                    ++shifts;
                    low -= Q1;
                    high -= Q1;
                } else {
                    break;
                }
                low += low;
                high += high;
            }
        }

        void End() {
            bits.PutWithFollowers(low < Q1 ? 0 : 1, shifts + 1);
            bits.Put(0, 7); // completes the last byte
            bits.Finish();
        }
    };

    void Encode(const unsigned char* in, unsigned size) {
        State& st = *m_state;
        lzari::CharModel model;
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
            InsertNode(r - i);
        InsertNode(r);
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
                InsertNode(r);
            }
            while (i++ < last_match_length) {
                DeleteNode(s);
                s = (s + 1) & (N - 1);
                r = (r + 1) & (N - 1);
                if (--len)
                    InsertNode(r);
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

        void Start() {
            for (int i = 0; i < M + 2; i++)
                value = 2 * value + bits.Get();
        }

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
            for (;;) {
                if (low >= Q2) {
                    value -= Q2;
                    low -= Q2;
                    high -= Q2;
                } else if (low >= Q1 && high <= Q3) {
                    value -= Q1;
                    low -= Q1;
                    high -= Q1;
                } else if (high > Q2) {
                    break;
                }
                low += low;
                high += high;
                value = 2 * value + bits.Get();
            }
        }
    };

    // Stops at the announced size even where a damaged block codes a match
    // running past it. With `bounded`, also stops (returning false) once the
    // code has run out.
    bool Decode(const unsigned char* in, unsigned size, std::uint32_t textsize, bool bounded) {
        m_out.clear();
        if (textsize == 0) {
            m_out.push_back(0);
            return true;
        }
        Decoder coder{lzari::BitReader(in, size)};
        coder.Start();
        lzari::CharModel model;
        unsigned char* const ring = m_state->text_buf;
        std::memset(ring, 0, sizeof m_state->text_buf);
        std::memset(ring, FILL, N - F);
        int r = N - F;

        // The output grows in steps, so that a short block announcing much
        // allocates only what it really produces; each step leaves room for
        // one whole match and the terminator.
        std::size_t room = std::min<std::size_t>(textsize, kFirstOutputStep);
        m_out.resize(room + 1);
        unsigned char* dst = m_out.data();
        std::uint32_t count = 0;
        while (count < textsize) {
            if (bounded && coder.bits.BytesPastEnd() > kMaxBytesPastEnd)
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
                ring[r] = static_cast<unsigned char>(c);
                r = (r + 1) & (N - 1);
                continue;
            }
            const int position = lzari::PositionModel::Find(coder.Target(lzari::PositionModel::Total()));
            lzari::PositionModel::Bounds(position, cumHigh, cumLow);
            coder.Take(cumHigh, cumLow, lzari::PositionModel::Total());
            const int from = (r - position - 1) & (N - 1);
            const std::uint32_t length = std::min<std::uint32_t>(c - 255 + THRESHOLD, textsize - count);
            for (std::uint32_t k = 0; k < length; k++) {
                const unsigned char b = ring[(from + static_cast<int>(k)) & (N - 1)];
                dst[count++] = b;
                ring[r] = b;
                r = (r + 1) & (N - 1);
            }
        }
        dst[count] = 0;
        m_out.resize(std::size_t{count} + 1);
        return true;
    }

    static constexpr std::size_t kFirstOutputStep = 64u << 10;

    std::unique_ptr<State> m_state;
    std::vector<unsigned char> m_out;
};

} // namespace ltl
