#include "server/TextEscape.h"

#include <cstdio>

namespace {

void AppendHex(std::string& out, unsigned code) {
    char text[12];
    if (code < 0x100)
        std::snprintf(text, sizeof text, "\\x%02x", code);
    else
        std::snprintf(text, sizeof text, "\\u%04x", code);
    out += text;
}

} // namespace

std::string EscapeControls(std::string_view utf8, enLineBreaks breaks) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const bool keep = breaks == enLineBreaks::Keep;
        if (c == '\\') {
            out += "\\\\";
        } else if (keep && (c == '\n' || c == '\t')) {
            out += static_cast<char>(c);
        } else if (keep && c == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') {
            // the LF that follows is kept
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            AppendHex(out, c);
        } else if (c == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(utf8[i + 1]) <= 0x9F) {
            AppendHex(out, static_cast<unsigned char>(utf8[++i])); // C1 control
        } else if (c == 0xE2 && i + 2 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) == 0x80 &&
                   (static_cast<unsigned char>(utf8[i + 2]) == 0xA8 ||
                    static_cast<unsigned char>(utf8[i + 2]) == 0xA9)) {
            AppendHex(out, static_cast<unsigned char>(utf8[i + 2]) == 0xA8 ? 0x2028u : 0x2029u);
            i += 2;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}
