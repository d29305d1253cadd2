#pragma once
// Bit output and input for LZARI's arithmetic coder, most significant bit of
// each byte first. Both move whole words instead of single bits; the bytes
// are those a bit-at-a-time coder writes and reads.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace ltl::lzari {

// A byte array whose growth leaves the new bytes uncleared: the coders write
// every byte they keep, and clearing a megabyte costs as much as filling it.
class ByteBuffer {
public:
    unsigned char* data() { return m_data.get(); }
    std::size_t size() const { return m_size; }

    // Keeps the first size() bytes; those added are indeterminate.
    void resize(std::size_t size) {
        if (size > m_capacity) {
            std::unique_ptr<unsigned char[]> grown(new unsigned char[size]);
            if (m_size != 0)
                std::memcpy(grown.get(), m_data.get(), m_size);
            m_data = std::move(grown);
            m_capacity = size;
        }
        m_size = size;
    }

private:
    std::unique_ptr<unsigned char[]> m_data;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

// Appends bits to a byte buffer from a given offset on.
class BitWriter {
public:
    BitWriter(ByteBuffer& out, std::size_t pos) : m_out(out), m_pos(pos) {}

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
            m_out.data()[m_pos++] = static_cast<unsigned char>(m_acc >> m_pending);
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

    ByteBuffer& m_out;
    std::size_t m_pos;
    std::uint64_t m_acc = 0; // the low m_pending bits are not yet stored
    int m_pending = 0;
};

// Reads bits from a block; past its end every bit reads as 1, as the classic
// coder's end-of-file byte (-1) does. Counts the bits so invented that have
// been taken, so that a caller can refuse a block whose code has run out.
class BitReader {
public:
    BitReader(const unsigned char* in, std::size_t size) : m_next(in), m_end(in + size) {}

    // The next `count` bits (0 to 56), the first taken as the highest.
    std::uint64_t Get(int count) {
        if (count == 0)
            return 0;
        if (m_left < count)
            Refill();
        const std::uint64_t bits = m_window >> (64 - count);
        m_window <<= count;
        m_left -= count;
        return bits;
    }

    std::uint64_t BitsPastEnd() const {
        const std::uint64_t invented = 8 * m_pastEnd;
        const auto waiting = static_cast<std::uint64_t>(m_left);
        return invented > waiting ? invented - waiting : 0;
    }

private:
    // Tops the window up to at least 57 bits.
    void Refill() {
        while (m_left <= 56) {
            std::uint64_t byte = 0xFF;
            if (m_next != m_end)
                byte = *m_next++;
            else
                ++m_pastEnd;
            m_window |= byte << (56 - m_left);
            m_left += 8;
        }
    }

    const unsigned char* m_next;
    const unsigned char* m_end;
    std::uint64_t m_window = 0; // the next m_left bits, left-aligned; zeros below
    int m_left = 0;
    std::uint64_t m_pastEnd = 0; // bytes invented past the end
};

// The halvings that renormalise the coder's interval [low, high) after a
// symbol narrowed it, worked out at once rather than one by one: first
// `settled` halvings while low and high - 1 agree on their top bit (that bit
// is then known for good), then `straddled` halvings of an interval around
// the middle (low in the second quarter, high - 1 in the third), whose bit is
// only known once a later settled bit comes. Both ends are 17-bit values.
struct Halvings {
    int settled;
    int straddled;
    std::uint32_t low; // the interval afterwards
    std::uint32_t high;

    static Halvings Of(std::uint32_t low, std::uint32_t high) {
        constexpr std::uint32_t kMask = (1u << 17) - 1;
        constexpr std::uint32_t kHalf = 1u << 16;
        const std::uint32_t last = high - 1;
        const int settled = std::min(std::countl_zero((low ^ last) << 15), 17);
        // Each halving appends a 0 to low and a 1 to high - 1.
        const std::uint32_t lowS = (low << settled) & kMask;
        const std::uint32_t lastS = ((last << settled) | ((1u << settled) - 1)) & kMask;
        const int straddled = std::countl_one(((lowS & ~lastS) & (kHalf - 1)) << 16);
        // A straddling halving drops the second bit and keeps the first.
        const std::uint32_t lowE = (lowS << straddled) & (kHalf - 1);
        const std::uint32_t lastE = (((lastS << straddled) | ((1u << straddled) - 1)) & (kHalf - 1)) | kHalf;
        return {settled, straddled, lowE, lastE + 1};
    }
};

} // namespace ltl::lzari
