#include "platform/x11/WindowTitle.h"

#include "platform/x11/XProtocol.h"

namespace deskguard {

namespace {

std::string Latin1ToUtf8(const std::string& latin1) {
    std::string utf8;
    utf8.reserve(latin1.size());
    for (unsigned char ch : latin1) {
        if (ch < 0x80) {
            utf8 += static_cast<char>(ch);
        } else {
            utf8 += static_cast<char>(0xC0 | (ch >> 6));
            utf8 += static_cast<char>(0x80 | (ch & 0x3F));
        }
    }
    return utf8;
}

} // namespace

std::string WindowTitle(const CXConnection& x, xcb_window_t window) {
    const auto netName = ReadText(x, window, x.Atom(enAtom::NetWmName));
    if (netName && netName->type == x.Atom(enAtom::Utf8String) && !netName->bytes.empty())
        return netName->bytes;
    const auto name = ReadText(x, window, XCB_ATOM_WM_NAME);
    if (!name)
        return {};
    if (name->type == XCB_ATOM_STRING)
        return Latin1ToUtf8(name->bytes);
    return name->bytes;
}

} // namespace deskguard
