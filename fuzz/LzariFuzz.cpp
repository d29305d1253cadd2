// LZARI expansion of any block and the round trip of any input, each checked
// byte for byte against the previous coder (kept with the tests); and the
// bounded expansion, which may refuse a block but never expands it otherwise.

#include "ltl/LZARI.h"
#include "tests/ltl/LzariReference.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// Blocks from outside are bounded before expansion, as the message layer does
// (at 1 MiB); a lower bound here keeps each run short (the reference coder is
// slow), and expansion does not change with the size beyond the first few
// kilobytes: the window is 4 KiB.
constexpr std::uint32_t kMaxExpanded = 16u << 10;

bool Same(const unsigned char* a, unsigned aSize, const unsigned char* b, unsigned bSize) {
    return aSize == bSize && (aSize == 0 || std::memcmp(a, b, aSize) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto n = static_cast<unsigned>(size);
    if (size >= 4) {
        const std::uint32_t announced = data[0] | data[1] << 8 | data[2] << 16 | std::uint32_t{data[3]} << 24;
        if (announced <= kMaxExpanded) {
            ltl::LZARI lzari;
            unsigned char* out = nullptr;
            unsigned outSize = 0;
            lzari.Decompress(data, n, &out, &outSize);
            if (outSize != announced || out[outSize] != 0)
                std::abort();
            ltl::reference::LZARI reference;
            unsigned char* expected = nullptr;
            unsigned expectedSize = 0;
            reference.Decompress(data, n, &expected, &expectedSize);
            if (!Same(out, outSize + 1, expected, expectedSize + 1))
                std::abort();

            ltl::LZARI bounded;
            unsigned char* boundedOut = nullptr;
            unsigned boundedSize = 0;
            if (bounded.Expand(data, n, kMaxExpanded, &boundedOut, &boundedSize) &&
                !Same(boundedOut, boundedSize + 1, expected, expectedSize + 1))
                std::abort();
        }
    }

    ltl::LZARI packer;
    unsigned char* packed = nullptr;
    unsigned packedSize = 0;
    packer.Compress(data, n, &packed, &packedSize);
    ltl::reference::LZARI referencePacker;
    unsigned char* expectedPacked = nullptr;
    unsigned expectedPackedSize = 0;
    referencePacker.Compress(data, n, &expectedPacked, &expectedPackedSize);
    if (!Same(packed, packedSize, expectedPacked, expectedPackedSize))
        std::abort();

    // What the encoder makes always passes the bounded expansion whole.
    ltl::LZARI expander;
    unsigned char* expanded = nullptr;
    unsigned expandedSize = 0;
    if (!expander.Expand(packed, packedSize, n, &expanded, &expandedSize) ||
        !Same(expanded, expandedSize, data, n))
        std::abort();
    return 0;
}
