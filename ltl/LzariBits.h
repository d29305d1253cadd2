#pragma once
// Bit output and input for LZARI's arithmetic coder, most significant bit of
// each byte first. Both move whole words instead of single bits; the bytes
// are those a bit-at-a-time coder writes and reads.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace ltl::lzari {

// Appends bits to a byte vector from a given offset on.
class BitWriter {
public:
    BitWriter(std::vector<unsigned char>& out, std::size_t pos) : m_out(out), m_pos(pos) {}

    // The low `count` bits of `bits` (count 1 to 32), highest first.
    void Put(std::uint32_t bits, int count) {
        m_acc = (m_acc << count) | bits;
        m_pending += count;
        if (m_pending >= 32) {
            m_pending -= 32;
            Store32(static_cast<std::uint32_t>(m_acc >> m_pending));
        }
    }

    // One bit, then `copies` of its complement: the bit that settles the
    // straddling halvings the coder postponed.
    void PutWithFollowers(unsigned bit, unsigned copies) {
        Put(bit, 1);
        const std::uint32_t follower = bit ? 0u : ~0u;
        for (; copies >= 32; copies -= 32)
            Put(follower, 32);
        if (copies != 0)
            Put(follower & ((1u << copies) - 1), static_cast<int>(copies));
    }

    // Writes the whole bytes still held; bits of an unfinished byte are
    // dropped, as the classic coder never writes them either.
    void Finish() {
        while (m_pending >= 8) {
            m_pending -= 8;
            Reserve(1);
            m_out[m_pos++] = static_cast<unsigned char>(m_acc >> m_pending);
        }
        m_out.resize(m_pos);
    }

private:
    void Reserve(std::size_t n) {
        if (m_out.size() - m_pos < n)
            m_out.resize(std::max<std::size_t>(2 * m_out.size(), m_pos + 4096));
    }

    void Store32(std::uint32_t word) {
        Reserve(4);
        unsigned char* p = m_out.data() + m_pos;
        p[0] = static_cast<unsigned char>(word >> 24);
        p[1] = static_cast<unsigned char>(word >> 16);
        p[2] = static_cast<unsigned char>(word >> 8);
        p[3] = static_cast<unsigned char>(word);
        m_pos += 4;
    }

    std::vector<unsigned char>& m_out;
    std::size_t m_pos;
    std::uint64_t m_acc = 0; // the low m_pending bits are not yet stored
    int m_pending = 0;
};

// Reads bits from a block; past its end every bit reads as 1, as the classic
// coder's end-of-file byte (-1) does. Counts those invented bytes so that a
// caller can refuse a block whose code has run out.
class BitReader {
public:
    BitReader(const unsigned char* in, std::size_t size) : m_next(in), m_end(in + size) {}

    unsigned Get() {
        if (m_left == 0)
            Refill();
        --m_left;
        const auto bit = static_cast<unsigned>(m_window >> 63);
        m_window <<= 1;
        return bit;
    }

    // Bytes supplied past the end so far (each of them eight 1 bits).
    std::uint64_t BytesPastEnd() const { return m_pastEnd; }

private:
    void Refill() {
        if (m_end - m_next >= 8) {
            std::uint64_t w = 0;
            for (int i = 0; i < 8; ++i)
                w = (w << 8) | m_next[i];
            m_next += 8;
            m_window = w;
            m_left = 64;
        } else if (m_next != m_end) {
            m_window = std::uint64_t{*m_next++} << 56;
            m_left = 8;
        } else {
            // One byte at a time, so that the count is exact.
            m_window = ~std::uint64_t{0};
            m_left = 8;
            ++m_pastEnd;
        }
    }

    const unsigned char* m_next;
    const unsigned char* m_end;
    std::uint64_t m_window = 0;
    int m_left = 0;
    std::uint64_t m_pastEnd = 0;
};

} // namespace ltl::lzari
