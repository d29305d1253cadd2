// LZARI expansion of any block, and the round trip of any input.

#include "ltl/LZARI.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// Blocks from outside are bounded before expansion, as the message layer does
// (at 1 MiB); a lower bound here keeps each run short, and expansion does not
// change with the size beyond the first few kilobytes.
constexpr std::uint32_t kMaxExpanded = 64u << 10;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size >= 4) {
        const std::uint32_t announced = data[0] | data[1] << 8 | data[2] << 16 | std::uint32_t{data[3]} << 24;
        if (announced <= kMaxExpanded) {
            ltl::LZARI lzari;
            unsigned char* out = nullptr;
            unsigned outSize = 0;
            lzari.Decompress(data, static_cast<unsigned>(size), &out, &outSize);
            if (outSize != announced || out[outSize] != 0)
                std::abort();
        }
    }

    ltl::LZARI packer;
    unsigned char* packed = nullptr;
    unsigned packedSize = 0;
    packer.Compress(data, static_cast<unsigned>(size), &packed, &packedSize);
    ltl::LZARI expander;
    unsigned char* expanded = nullptr;
    unsigned expandedSize = 0;
    expander.Decompress(packed, packedSize, &expanded, &expandedSize);
    if (expandedSize != size || (size != 0 && std::memcmp(expanded, data, size) != 0))
        std::abort();
    return 0;
}
