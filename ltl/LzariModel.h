#pragma once
// The two frequency models of LZARI's arithmetic coder.
//
// The character model keeps its symbols ordered by falling frequency: a
// symbol that gains a count first trades places with the lowest-numbered
// symbol of the same frequency, and all frequencies are halved once their sum
// reaches MAX_CUM. The coded bits depend on that order and on every count, so
// both are kept exactly; only the storage differs from a plain table of
// cumulative counts: a Fenwick tree over the frequencies answers "count of
// the symbols above this one" and "which symbol holds this count" in about
// nine steps instead of a walk over up to 314 entries.
//
// The position model never changes, so its table is computed once.

#include <array>
#include <cstdint>

namespace ltl::lzari {

inline constexpr int kWindow = 4096;                           // N: ring buffer size
inline constexpr int kLookAhead = 60;                          // F: longest match
inline constexpr int kThreshold = 2;                           // matches longer than this are coded
inline constexpr int kSymbols = 256 - kThreshold + kLookAhead; // N_CHAR: 0-255 literals, then lengths 3-60
inline constexpr std::uint32_t kMaxCum = (1u << 15) - 1;       // halving point of the character model

class CharModel {
public:
    CharModel() {
        for (int sym = 1; sym <= kSymbols; ++sym) {
            m_symToChar[sym] = static_cast<std::uint16_t>(sym - 1);
            m_charToSym[sym - 1] = static_cast<std::uint16_t>(sym);
            m_freq[sym] = 1;
        }
        m_freq[0] = 0; // below every real frequency: ends the search for equal ones
        m_total = kSymbols;
        Rebuild();
    }

    std::uint32_t Total() const { return m_total; }
    int SymbolOf(int ch) const { return m_charToSym[ch]; }
    int CharOf(int sym) const { return m_symToChar[sym]; }

    // The counts above and below the symbol's own share of the total: the
    // table entries cum[sym - 1] and cum[sym] of the classic coder.
    void Bounds(int sym, std::uint32_t& cumHigh, std::uint32_t& cumLow) const {
        cumHigh = m_total - Prefix(sym - 1);
        cumLow = cumHigh - m_freq[sym];
    }

    // The lowest symbol whose cum[sym] is at most x, or the last symbol: the
    // answer of the classic bisection, for any x.
    int Find(std::uint32_t x) const {
        if (x >= m_total)
            return 1;
        // The largest k whose first k frequencies sum to less than total - x.
        std::uint32_t rest = m_total - x;
        int k = 0;
        for (int step = kTopStep; step != 0; step >>= 1) {
            const int next = k + step;
            if (next <= kSymbols && m_tree[next] < rest) {
                k = next;
                rest -= m_tree[next];
            }
        }
        return k + 1;
    }

    void Update(int sym) {
        if (m_total >= kMaxCum)
            Halve();
        const int first = FirstOfEqualFrequency(sym);
        if (first < sym) {
            const std::uint16_t chFirst = m_symToChar[first];
            const std::uint16_t chSym = m_symToChar[sym];
            m_symToChar[first] = chSym;
            m_symToChar[sym] = chFirst;
            m_charToSym[chFirst] = static_cast<std::uint16_t>(sym);
            m_charToSym[chSym] = static_cast<std::uint16_t>(first);
        }
        ++m_freq[first];
        ++m_total;
        for (int i = first; i <= kSymbols; i += i & -i)
            ++m_tree[i];
    }

private:
    static constexpr int kTopStep = 256; // highest power of two not above kSymbols

    std::uint32_t Prefix(int k) const {
        std::uint32_t sum = 0;
        for (; k > 0; k &= k - 1)
            sum += m_tree[k];
        return sum;
    }

    // Frequencies never rise with the symbol number, so the symbols sharing
    // sym's frequency form one run; this finds where it starts.
    int FirstOfEqualFrequency(int sym) const {
        const std::uint32_t f = m_freq[sym];
        if (m_freq[sym - 1] != f)
            return sym;
        int lo = 1;       // the run starts at or after lo
        int hi = sym - 1; // and at or before hi
        while (lo < hi) {
            const int mid = (lo + hi) / 2;
            if (m_freq[mid] == f)
                hi = mid;
            else
                lo = mid + 1;
        }
        return lo;
    }

    void Halve() {
        std::uint32_t total = 0;
        for (int i = 1; i <= kSymbols; ++i) {
            m_freq[i] = (m_freq[i] + 1) >> 1;
            total += m_freq[i];
        }
        m_total = total;
        Rebuild();
    }

    void Rebuild() {
        m_tree[0] = 0;
        for (int i = 1; i <= kSymbols; ++i)
            m_tree[i] = m_freq[i];
        for (int i = 1; i <= kSymbols; ++i) {
            const int parent = i + (i & -i);
            if (parent <= kSymbols)
                m_tree[parent] += m_tree[i];
        }
    }

    std::uint32_t m_total = 0;
    std::array<std::uint32_t, kSymbols + 1> m_freq{};
    std::array<std::uint32_t, kSymbols + 1> m_tree{};
    std::array<std::uint16_t, kSymbols + 1> m_symToChar{};
    std::array<std::uint16_t, kSymbols> m_charToSym{};
};

constexpr std::array<std::uint32_t, kWindow + 1> PositionCumTable() {
    std::array<std::uint32_t, kWindow + 1> cum{};
    for (int i = kWindow; i >= 1; --i)
        cum[i - 1] = cum[i] + 10000u / static_cast<std::uint32_t>(i + 200);
    return cum;
}

// Match positions are coded with fixed counts that favour near positions:
// position i - 1 has the count 10000 / (i + 200).
class PositionModel {
public:
    static std::uint32_t Total() { return kCum[0]; }

    static void Bounds(int position, std::uint32_t& cumHigh, std::uint32_t& cumLow) {
        cumHigh = kCum[position];
        cumLow = kCum[position + 1];
    }

    // The classic bisection over 1 to N, answering lo - 1.
    static int Find(std::uint32_t x) {
        int lo = 1;
        int hi = kWindow;
        while (lo < hi) {
            const int mid = (lo + hi) / 2;
            if (kCum[mid] > x)
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo - 1;
    }

private:
    static constexpr std::array<std::uint32_t, kWindow + 1> kCum = PositionCumTable();
};

} // namespace ltl::lzari
