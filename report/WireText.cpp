#include "report/WireText.h"

#include "net/GbkText.h"

namespace report {
namespace {

constexpr std::string_view kCutMark = "……";

// The length of the UTF-8 sequence starting at `s[i]`, 0 when it is not one.
std::size_t Utf8Length(std::string_view s, std::size_t i) {
    const auto lead = static_cast<unsigned char>(s[i]);
    std::size_t length = 0;
    std::uint32_t min = 0;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + length > s.size())
        return 0;
    std::uint32_t cp = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const auto c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80)
            return 0;
        cp = cp << 6 | (c & 0x3F);
    }
    const bool surrogate = cp >= 0xD800 && cp <= 0xDFFF;
    return cp < min || cp > 0x10FFFF || surrogate ? 0 : length;
}

} // namespace

std::string ToWireText(std::string_view text, std::size_t maxBytes) {
    std::string out;
    std::string gbk;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = Utf8Length(text, i);
        std::string_view piece = text.substr(i, length == 0 ? 1 : length);
        i += piece.size();
        if (piece == std::string_view("\0", 1))
            continue;
        if (length == 0 || (length > 1 && !wire::Utf8ToGbk(piece, gbk)))
            piece = "?";
        out += piece;
    }
    if (out.size() <= maxBytes)
        return out;
    if (maxBytes < kCutMark.size())
        return {};
    // `out` is valid UTF-8 now: back up to the start of a character.
    std::size_t keep = maxBytes - kCutMark.size();
    while (keep > 0 && (static_cast<unsigned char>(out[keep]) & 0xC0) == 0x80)
        --keep;
    out.resize(keep);
    return out += kCutMark;
}

} // namespace report
