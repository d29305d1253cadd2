#pragma once
// Waits on an X server's own reports: the condition is asked again whenever
// the root window tells of a change among its children (a window made,
// mapped, unmapped, reparented or destroyed, a window manager's frame among
// them) or of its own properties, never on a timer. A limit guards against a
// hang only.

#include "platform/x11/CXConnection.h"

#include <xcb/xcb.h>

#include <poll.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>

namespace testwait {

template <class Condition>
bool ForXChange(deskguard::CXConnection& x, Condition done,
                std::chrono::milliseconds limit = std::chrono::seconds(30)) {
    xcb_connection_t* c = x.Get();
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(c, x.Root(), XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);
    const auto deadline = std::chrono::steady_clock::now() + limit;
    // Asked after the events are selected, so a change in between is not missed.
    while (!done()) {
        // Events that came in while the condition read its replies are
        // already queued: the socket would not wake for them.
        bool queued = false;
        while (xcb_generic_event_t* event = xcb_poll_for_queued_event(c)) {
            std::free(event);
            queued = true;
        }
        if (queued) {
            continue;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd ready{xcb_get_file_descriptor(c), POLLIN, 0};
        if (left.count() <= 0 || (::poll(&ready, 1, static_cast<int>(left.count())) <= 0 && errno != EINTR) ||
            xcb_connection_has_error(c)) {
            return done();
        }
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            std::free(event);
        }
    }
    return true;
}

} // namespace testwait
