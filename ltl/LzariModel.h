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
// nine steps instead of a walk over up to 314 entries, and a table of the
// first symbol of each frequency finds the place to trade with at once.
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
    CharModel() { Reset(); }

    void Reset() {
        for (int sym = 1; sym <= kSymbols; ++sym) {
            m_symToChar[sym] = static_cast<std::uint16_t>(sym - 1);
            m_charToSym[sym - 1] = static_cast<std::uint16_t>(sym);
            m_freq[sym] = 1;
        }
        m_freq[0] = 0; // below every real frequency: no run extends to symbol 0
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
        // The largest k whose first k frequencies sum to less than total - x;
        // entries past the last symbol never qualify.
        std::uint32_t rest = m_total - x;
        int k = 0;
        for (int step = kTreeSize / 2; step != 0; step >>= 1) {
            const std::uint32_t part = m_tree[k + step];
            const bool below = part < rest;
            k += below ? step : 0;
            rest -= below ? part : 0;
        }
        return k + 1;
    }

    void Update(int sym) {
        if (m_total >= kMaxCum)
            Halve();
        // The symbol trades places with the first of those sharing its
        // frequency, which then moves up into the run above.
        const std::uint32_t f = m_freq[sym];
        const int first = m_runStart[f];
        if (first < sym) {
            const std::uint16_t chFirst = m_symToChar[first];
            const std::uint16_t chSym = m_symToChar[sym];
            m_symToChar[first] = chSym;
            m_symToChar[sym] = chFirst;
            m_charToSym[chFirst] = static_cast<std::uint16_t>(sym);
            m_charToSym[chSym] = static_cast<std::uint16_t>(first);
        }
        m_freq[first] = f + 1;
        m_runStart[f] = static_cast<std::uint16_t>(first + 1);
        if (m_freq[first - 1] != f + 1)
            m_runStart[f + 1] = static_cast<std::uint16_t>(first);
        ++m_total;
        for (int i = first; i <= kSymbols; i += i & -i)
            ++m_tree[i];
    }

private:
    static constexpr int kTreeSize = 512; // a power of two above kSymbols
    static constexpr std::uint32_t kNever = ~0u;

    std::uint32_t Prefix(int k) const {
        std::uint32_t sum = 0;
        for (; k > 0; k &= k - 1)
            sum += m_tree[k];
        return sum;
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

    // Frequencies never rise with the symbol number, so the symbols sharing
    // a frequency form one run.
    void Rebuild() {
        for (int i = 1; i <= kSymbols; ++i)
            if (m_freq[i] != m_freq[i - 1])
                m_runStart[m_freq[i]] = static_cast<std::uint16_t>(i);
        m_tree.fill(kNever);
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
    std::array<std::uint32_t, kTreeSize> m_tree{};
    std::array<std::uint16_t, kSymbols + 1> m_symToChar{};
    std::array<std::uint16_t, kSymbols> m_charToSym{};
    // The first symbol of each frequency; an entry is kept up to date only
    // while some symbol has that frequency, and only then read. Frequencies
    // stay below kMaxCum, which the total never passes.
    std::array<std::uint16_t, kMaxCum + 1> m_runStart;
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

    // The classic bisection over 1 to N, answering lo - 1: the first i with
    // cum[i] at most x, less one. Halves the range without a branch on x.
    static int Find(std::uint32_t x) {
        int base = 1;
        for (int size = kWindow; size > 1; size -= size / 2) {
            const int half = size / 2;
            base += kCum[base + half] > x ? half : 0;
        }
        return base - 1 + (kCum[base] > x ? 1 : 0);
    }

private:
    static constexpr std::array<std::uint32_t, kWindow + 1> kCum = PositionCumTable();
};

} // namespace ltl::lzari
