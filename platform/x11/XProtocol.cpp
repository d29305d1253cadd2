#include "platform/x11/XProtocol.h"

namespace deskguard {

bool Succeeded(const CXConnection& x, xcb_void_cookie_t cookie) {
    reply_ptr<xcb_generic_error_t> error(xcb_request_check(x.Get(), cookie));
    return !error;
}

xcb_get_property_cookie_t RequestWords(const CXConnection& x, xcb_window_t window, xcb_atom_t property,
                                       xcb_atom_t type) {
    return xcb_get_property(x.Get(), 0, window, property, type, 0, kMaxPropertyWords);
}

std::optional<std::vector<uint32_t>> TakeWords(const CXConnection& x, xcb_get_property_cookie_t cookie) {
    reply_ptr<xcb_get_property_reply_t> reply(xcb_get_property_reply(x.Get(), cookie, nullptr));
    // A property of another type comes back with its type and no value.
    if (!reply || reply->type == XCB_ATOM_NONE || reply->format != 32)
        return std::nullopt;
    const auto* words = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    if (count > 0 && !words)
        return std::nullopt;
    return std::vector<uint32_t>(words, words + (count > 0 ? count : 0));
}

std::optional<std::vector<uint32_t>> ReadWords(const CXConnection& x, xcb_window_t window,
                                               xcb_atom_t property, xcb_atom_t type) {
    return TakeWords(x, RequestWords(x, window, property, type));
}

std::optional<tagTextProperty> ReadText(const CXConnection& x, xcb_window_t window, xcb_atom_t property) {
    reply_ptr<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        x.Get(), xcb_get_property(x.Get(), 0, window, property, XCB_ATOM_ANY, 0, kMaxPropertyWords),
        nullptr));
    if (!reply || reply->type == XCB_ATOM_NONE || reply->format != 8)
        return std::nullopt;
    const auto* bytes = static_cast<const char*>(xcb_get_property_value(reply.get()));
    const int length = xcb_get_property_value_length(reply.get());
    tagTextProperty text;
    text.type = reply->type;
    if (length > 0 && bytes)
        text.bytes.assign(bytes, static_cast<size_t>(length));
    return text;
}

bool WriteWords(const CXConnection& x, xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                const std::vector<uint32_t>& words) {
    const xcb_void_cookie_t cookie =
        xcb_change_property_checked(x.Get(), XCB_PROP_MODE_REPLACE, window, property, type, 32,
                                    static_cast<uint32_t>(words.size()), words.data());
    return Succeeded(x, cookie);
}

std::optional<xcb_get_window_attributes_reply_t> ReadAttributes(const CXConnection& x, xcb_window_t window) {
    reply_ptr<xcb_get_window_attributes_reply_t> reply(
        xcb_get_window_attributes_reply(x.Get(), xcb_get_window_attributes(x.Get(), window), nullptr));
    if (!reply)
        return std::nullopt;
    return *reply;
}

bool SendToRoot(const CXConnection& x, xcb_window_t window, xcb_atom_t type,
                const std::array<uint32_t, 5>& data) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    for (size_t i = 0; i < data.size(); ++i)
        event.data.data32[i] = data[i];
    xcb_void_cookie_t cookie = xcb_send_event_checked(
        x.Get(), 0, x.Root(), XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
        reinterpret_cast<const char*>(&event));
    return Succeeded(x, cookie);
}

} // namespace deskguard
