#pragma once
// Version numbers as the suite writes them, "a_b_c_d", packed highest part
// first into one 64-bit value so that versions compare as plain integers.

#include <cstdint>
#include <string>

namespace update {

// Each part keeps its low 16 bits.
std::uint64_t PackVersion(unsigned a, unsigned b, unsigned c, unsigned d);

// Reads the text the way "%u_%u_%u_%u" does; parts that are not there are 0.
// Returns how many parts were read.
int ReadVersion(const std::string& text, std::uint64_t& version);

std::string FormatVersion(std::uint64_t version);

// The second part (b), the one that names the minor line.
inline unsigned MinorPart(std::uint64_t version) {
    return static_cast<unsigned>(version >> 32 & 0xFFFF);
}

} // namespace update
