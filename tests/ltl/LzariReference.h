#pragma once
// The previous implementation of ltl::LZARI, kept unchanged (apart from its
// namespace) as the reference the faster coder in ltl/LZARI.h is checked
// against: both must produce the same bytes in both directions, for valid and
// for damaged blocks. It walks the model linearly and moves one bit at a time,
// which makes it slow but easy to read against the algorithm.
//
// LZARI: LZSS over a 4096-byte ring with a search tree of earlier strings,
// literals, match lengths and match positions coded by an adaptive arithmetic
// coder. Message bodies compressed here are expanded by peers that run the
// same 1989 algorithm, so every parameter, model rule and tie-break below is
// kept exactly; changing any of them changes the bit stream.
//
// One object serves one operation: its output lives as long as the object.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace ltl::reference {

class LZARI {
public:
    static constexpr int N = 4096;      // ring buffer size
    static constexpr int F = 60;        // look-ahead, longest match
    static constexpr int THRESHOLD = 2; // matches longer than this are coded as matches
    static constexpr int NIL = N;       // empty tree link
    static constexpr int M = 15;        // coder precision in bits
    static constexpr std::uint32_t Q1 = 1u << M;
    static constexpr std::uint32_t Q2 = 2 * Q1;
    static constexpr std::uint32_t Q3 = 3 * Q1;
    static constexpr std::uint32_t Q4 = 4 * Q1;
    static constexpr std::uint32_t MAX_CUM = Q1 - 1;
    static constexpr int N_CHAR = 256 - THRESHOLD + F; // 0-255 literals, 256-313 lengths 3-60
    static constexpr unsigned char FILL = 0x20;

    LZARI() : m_state(std::make_unique<State>()) { m_out.reserve(2048); }

    // Writes the 4-byte input size and the code bits. *out stays valid until
    // this object is destroyed.
    unsigned Compress(const unsigned char* in, unsigned size, unsigned char** out, unsigned* outSize) {
        Begin(in, size);
        State& s = *m_state;
        s.textsize = size;
        for (int i = 0; i < 4; ++i)
            m_out.push_back(static_cast<unsigned char>(size >> (8 * i)));
        s.codesize = 4;
        if (size != 0)
            Encode();
        return Finish(out, outSize);
    }

    // Expands a block made by Compress. The output holds one extra zero byte
    // after the expanded data that *outSize does not count. A block shorter
    // than its size field throws the integer 1 ("Read Error"); callers that
    // read blocks from outside check the length (and bound the size field)
    // before calling.
    unsigned Decompress(const unsigned char* in, unsigned size, unsigned char** out, unsigned* outSize) {
        if (size < 4)
            throw 1;
        std::uint32_t textsize = 0;
        for (int i = 0; i < 4; ++i)
            textsize |= std::uint32_t{in[i]} << (8 * i);
        Begin(in + 4, size - 4);
        m_state->textsize = textsize;
        if (textsize != 0) {
            m_out.reserve(std::min<std::uint32_t>(textsize, 1u << 20) + 1);
            Decode(textsize);
        }
        m_out.push_back(0);
        const unsigned n = Finish(out, outSize);
        *outSize = n - 1;
        return n - 1;
    }

protected:
    struct State {
        unsigned char text_buf[N + F - 1] = {};
        int match_position = 0;
        int match_length = 0;
        int lson[N + 1] = {};
        int rson[N + 257] = {};
        int dad[N + 1] = {};

        std::uint32_t low = 0;
        std::uint32_t high = Q4;
        std::uint32_t value = 0;
        int shifts = 0;
        int char_to_sym[N_CHAR] = {};
        int sym_to_char[N_CHAR + 1] = {};
        unsigned sym_freq[N_CHAR + 1] = {};
        unsigned sym_cum[N_CHAR + 1] = {};
        unsigned position_cum[N + 1] = {};

        unsigned put_buffer = 0;
        unsigned put_mask = 128;
        unsigned get_buffer = 0;
        unsigned get_mask = 0;
        std::uint32_t textsize = 0;
        std::uint32_t codesize = 0;
    };

    void Begin(const unsigned char* in, unsigned size) {
        m_pIn = in;
        m_nInSize = size;
        m_nInPos = 0;
    }

    unsigned Finish(unsigned char** out, unsigned* outSize) {
        *out = m_out.data();
        *outSize = static_cast<unsigned>(m_out.size());
        return *outSize;
    }

    // The next input byte, or -1 once the input is used up (the file's EOF).
    int NextByte() { return m_nInPos < m_nInSize ? m_pIn[m_nInPos++] : -1; }

    // ---- bit input and output ----

    void PutBit(int bit) {
        State& s = *m_state;
        if (bit)
            s.put_buffer |= s.put_mask;
        if ((s.put_mask >>= 1) == 0) {
            m_out.push_back(static_cast<unsigned char>(s.put_buffer));
            s.put_buffer = 0;
            s.put_mask = 128;
            s.codesize++;
        }
    }

    void FlushBitBuffer() {
        for (int i = 0; i < 7; i++)
            PutBit(0);
    }

    // Past the end every bit reads as 1, as a byte of EOF (-1) would.
    int GetBit() {
        State& s = *m_state;
        if ((s.get_mask >>= 1) == 0) {
            s.get_buffer = static_cast<unsigned>(NextByte());
            s.get_mask = 128;
        }
        return (s.get_buffer & s.get_mask) != 0;
    }

    // ---- search trees of earlier strings (encoder only) ----

    void InitTree() {
        State& s = *m_state;
        for (int i = N + 1; i <= N + 256; i++)
            s.rson[i] = NIL;
        for (int i = 0; i < N; i++)
            s.dad[i] = NIL;
    }

    // Inserts the string at r and leaves the longest earlier match in
    // match_position/match_length; of equally long matches the nearest wins.
    // A full-length match replaces the older node, which would leave the
    // window first.
    void InsertNode(int r) {
        State& s = *m_state;
        int cmp = 1;
        const unsigned char* key = &s.text_buf[r];
        int p = N + 1 + key[0];
        s.rson[r] = s.lson[r] = NIL;
        s.match_length = 0;
        for (;;) {
            if (cmp >= 0) {
                if (s.rson[p] != NIL) {
                    p = s.rson[p];
                } else {
                    s.rson[p] = r;
                    s.dad[r] = p;
                    return;
                }
            } else {
                if (s.lson[p] != NIL) {
                    p = s.lson[p];
                } else {
                    s.lson[p] = r;
                    s.dad[r] = p;
                    return;
                }
            }
            int i;
            for (i = 1; i < F; i++)
                if ((cmp = key[i] - s.text_buf[p + i]) != 0)
                    break;
            if (i > THRESHOLD) {
                if (i > s.match_length) {
                    s.match_position = (r - p) & (N - 1);
                    if ((s.match_length = i) >= F)
                        break;
                } else if (i == s.match_length) {
                    const int temp = (r - p) & (N - 1);
                    if (temp < s.match_position)
                        s.match_position = temp;
                }
            }
        }
        s.dad[r] = s.dad[p];
        s.lson[r] = s.lson[p];
        s.rson[r] = s.rson[p];
        s.dad[s.lson[p]] = r;
        s.dad[s.rson[p]] = r;
        if (s.rson[s.dad[p]] == p)
            s.rson[s.dad[p]] = r;
        else
            s.lson[s.dad[p]] = r;
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
                s.dad[s.lson[p]] = q;
            }
            s.rson[q] = s.rson[p];
            s.dad[s.rson[p]] = q;
        }
        s.dad[q] = s.dad[p];
        if (s.rson[s.dad[p]] == p)
            s.rson[s.dad[p]] = q;
        else
            s.lson[s.dad[p]] = q;
        s.dad[p] = NIL;
    }

    // ---- adaptive models ----

    void StartModel() {
        State& s = *m_state;
        s.sym_cum[N_CHAR] = 0;
        for (int sym = N_CHAR; sym >= 1; sym--) {
            const int ch = sym - 1;
            s.char_to_sym[ch] = sym;
            s.sym_to_char[sym] = ch;
            s.sym_freq[sym] = 1;
            s.sym_cum[sym - 1] = s.sym_cum[sym] + s.sym_freq[sym];
        }
        s.sym_freq[0] = 0; // sentinel: differs from sym_freq[1]
        s.position_cum[N] = 0;
        for (int i = N; i >= 1; i--)
            s.position_cum[i - 1] = s.position_cum[i] + 10000 / (i + 200);
    }

    void UpdateModel(int sym) {
        State& s = *m_state;
        if (s.sym_cum[0] >= MAX_CUM) {
            unsigned c = 0;
            for (int i = N_CHAR; i > 0; i--) {
                s.sym_cum[i] = c;
                c += (s.sym_freq[i] = (s.sym_freq[i] + 1) >> 1);
            }
            s.sym_cum[0] = c;
        }
        int i;
        for (i = sym; s.sym_freq[i] == s.sym_freq[i - 1]; i--) {
        }
        if (i < sym) {
            const int ch_i = s.sym_to_char[i];
            const int ch_sym = s.sym_to_char[sym];
            s.sym_to_char[i] = ch_sym;
            s.sym_to_char[sym] = ch_i;
            s.char_to_sym[ch_i] = sym;
            s.char_to_sym[ch_sym] = i;
        }
        s.sym_freq[i]++;
        while (--i >= 0)
            s.sym_cum[i]++;
    }

    // ---- arithmetic coder ----

    void Output(int bit) {
        State& s = *m_state;
        PutBit(bit);
        for (; s.shifts > 0; s.shifts--)
            PutBit(!bit);
    }

    void Narrow(std::uint32_t cumHigh, std::uint32_t cumLow, std::uint32_t total) {
        State& s = *m_state;
        const std::uint32_t range = s.high - s.low;
        s.high = s.low + (range * cumHigh) / total;
        s.low += (range * cumLow) / total;
    }

    void EncodeRenormalise() {
        State& s = *m_state;
        for (;;) {
            if (s.high <= Q2) {
                Output(0);
            } else if (s.low >= Q2) {
                Output(1);
                s.low -= Q2;
                s.high -= Q2;
            } else if (s.low >= Q1 && s.high <= Q3) {
                s.shifts++;
                s.low -= Q1;
                s.high -= Q1;
            } else {
                break;
            }
            s.low += s.low;
            s.high += s.high;
        }
    }

    void EncodeChar(int ch) {
        State& s = *m_state;
        const int sym = s.char_to_sym[ch];
        Narrow(s.sym_cum[sym - 1], s.sym_cum[sym], s.sym_cum[0]);
        EncodeRenormalise();
        UpdateModel(sym);
    }

    void EncodePosition(int position) {
        State& s = *m_state;
        Narrow(s.position_cum[position], s.position_cum[position + 1], s.position_cum[0]);
        EncodeRenormalise();
    }

    void EncodeEnd() {
        State& s = *m_state;
        s.shifts++;
        if (s.low < Q1)
            Output(0);
        else
            Output(1);
        FlushBitBuffer();
    }

    int BinarySearchSym(unsigned x) const {
        const State& s = *m_state;
        int i = 1;
        int j = N_CHAR;
        while (i < j) {
            const int k = (i + j) / 2;
            if (s.sym_cum[k] > x)
                i = k + 1;
            else
                j = k;
        }
        return i;
    }

    int BinarySearchPos(unsigned x) const {
        const State& s = *m_state;
        int i = 1;
        int j = N;
        while (i < j) {
            const int k = (i + j) / 2;
            if (s.position_cum[k] > x)
                i = k + 1;
            else
                j = k;
        }
        return i - 1;
    }

    void StartDecode() {
        State& s = *m_state;
        for (int i = 0; i < M + 2; i++)
            s.value = 2 * s.value + static_cast<std::uint32_t>(GetBit());
    }

    void DecodeRenormalise() {
        State& s = *m_state;
        for (;;) {
            if (s.low >= Q2) {
                s.value -= Q2;
                s.low -= Q2;
                s.high -= Q2;
            } else if (s.low >= Q1 && s.high <= Q3) {
                s.value -= Q1;
                s.low -= Q1;
                s.high -= Q1;
            } else if (s.high > Q2) {
                break;
            }
            s.low += s.low;
            s.high += s.high;
            s.value = 2 * s.value + static_cast<std::uint32_t>(GetBit());
        }
    }

    // The coder works in 32-bit unsigned arithmetic like the original; on a
    // damaged block the target value may wrap, which only yields wrong
    // symbols, never an index outside the tables.
    std::uint32_t Target(std::uint32_t total) const {
        const State& s = *m_state;
        const std::uint32_t range = s.high - s.low;
        return ((s.value - s.low + 1) * total - 1) / range;
    }

    int DecodeChar() {
        State& s = *m_state;
        const int sym = BinarySearchSym(Target(s.sym_cum[0]));
        Narrow(s.sym_cum[sym - 1], s.sym_cum[sym], s.sym_cum[0]);
        DecodeRenormalise();
        const int ch = s.sym_to_char[sym];
        UpdateModel(sym);
        return ch;
    }

    int DecodePosition() {
        State& s = *m_state;
        const int position = BinarySearchPos(Target(s.position_cum[0]));
        Narrow(s.position_cum[position], s.position_cum[position + 1], s.position_cum[0]);
        DecodeRenormalise();
        return position;
    }

    // ---- the two directions ----

    void Encode() {
        State& st = *m_state;
        StartModel();
        InitTree();
        int s = 0;
        int r = N - F;
        for (int i = s; i < r; i++)
            st.text_buf[i] = FILL;
        int len;
        int c;
        for (len = 0; len < F && (c = NextByte()) != -1; len++)
            st.text_buf[r + len] = static_cast<unsigned char>(c);
        for (int i = 1; i <= F; i++)
            InsertNode(r - i);
        InsertNode(r);
        do {
            if (st.match_length > len)
                st.match_length = len;
            if (st.match_length <= THRESHOLD) {
                st.match_length = 1;
                EncodeChar(st.text_buf[r]);
            } else {
                EncodeChar(255 - THRESHOLD + st.match_length);
                EncodePosition(st.match_position - 1);
            }
            const int last_match_length = st.match_length;
            int i;
            for (i = 0; i < last_match_length && (c = NextByte()) != -1; i++) {
                DeleteNode(s);
                st.text_buf[s] = static_cast<unsigned char>(c);
                if (s < F - 1)
                    st.text_buf[s + N] = static_cast<unsigned char>(c);
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
        EncodeEnd();
    }

    // Stops at the announced size even where a damaged block codes a match
    // running past it.
    void Decode(std::uint32_t textsize) {
        State& st = *m_state;
        StartDecode();
        StartModel();
        for (int i = 0; i < N - F; i++)
            st.text_buf[i] = FILL;
        int r = N - F;
        std::uint32_t count = 0;
        const auto emit = [&](int c) {
            m_out.push_back(static_cast<unsigned char>(c));
            st.text_buf[r++] = static_cast<unsigned char>(c);
            r &= (N - 1);
            count++;
        };
        while (count < textsize) {
            const int c = DecodeChar();
            if (c < 256) {
                emit(c);
            } else {
                const int i = (r - DecodePosition() - 1) & (N - 1);
                const int j = c - 255 + THRESHOLD;
                for (int k = 0; k < j && count < textsize; k++)
                    emit(st.text_buf[(i + k) & (N - 1)]);
            }
        }
    }

    std::unique_ptr<State> m_state;
    std::vector<unsigned char> m_out;
    const unsigned char* m_pIn = nullptr;
    unsigned m_nInSize = 0;
    unsigned m_nInPos = 0;
};

} // namespace ltl::reference
