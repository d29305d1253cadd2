#include "browser/TabCaption.h"

#include <cstddef>

namespace {

// Length of the UTF-8 sequence starting at `at`; 1 for a byte that starts no
// valid sequence, so broken text still advances.
std::size_t SequenceLength(const std::string& text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 1;
    if (lead >= 0xF0 && lead < 0xF8) {
        length = 4;
    } else if (lead >= 0xE0) {
        length = lead < 0xF0 ? 3 : 1;
    } else if (lead >= 0xC0) {
        length = 2;
    }
    if (at + length > text.size()) {
        return 1;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) {
            return 1;
        }
    }
    return length;
}

} // namespace

std::string ShortenCaption(const std::string& title) {
    constexpr std::size_t kLongest = 13;
    constexpr std::size_t kKept = 14;
    std::size_t characters = 0;
    std::size_t keptBytes = 0;
    for (std::size_t at = 0; at < title.size(); at += SequenceLength(title, at)) {
        if (characters == kKept) {
            keptBytes = at;
        }
        ++characters;
    }
    if (characters <= kLongest) {
        return title;
    }
    if (characters == kKept) {
        keptBytes = title.size();
    }
    return title.substr(0, keptBytes) + "...";
}
