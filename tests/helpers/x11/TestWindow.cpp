// warrow_test_window --title T [--ignore-close] [--dock] [--override-redirect] [--record FILE]
//
// Maps one top-level window, prints its id ("0x%08x\n") once the server has
// mapped it, and waits. A close request (WM_DELETE_WINDOW) ends it with
// status 0 unless --ignore-close; with --record it first appends the line
// "<mapped> <close request>" (CLOCK_MONOTONIC nanoseconds) to FILE. Ends
// with status 3 when its X connection is closed (killed), 2 without an X
// server, 1 on bad arguments.

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <time.h>
#include <unistd.h>

namespace {

struct tagOptions {
    std::string title = "warrow_test_window";
    bool ignoreClose = false;
    bool dock = false;
    bool overrideRedirect = false;
    const char* record = nullptr;
};

bool Parse(int argc, char** argv, tagOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--title" && i + 1 < argc)
            options.title = argv[++i];
        else if (arg == "--record" && i + 1 < argc)
            options.record = argv[++i];
        else if (arg == "--ignore-close")
            options.ignoreClose = true;
        else if (arg == "--dock")
            options.dock = true;
        else if (arg == "--override-redirect")
            options.overrideRedirect = true;
        else
            return false;
    }
    return true;
}

long long MonotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

xcb_atom_t Intern(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

void Record(const char* path, long long mapped, long long closed) {
    char line[64];
    const int length = std::snprintf(line, sizeof line, "%lld %lld\n", mapped, closed);
    // One write on an O_APPEND file: lines of many helpers never mix.
    const int fd = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    if (write(fd, line, static_cast<size_t>(length)) != length)
        std::perror("record");
    close(fd);
}

} // namespace

int main(int argc, char** argv) {
    tagOptions options;
    if (!Parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: %s --title T [--ignore-close] [--dock] [--override-redirect] [--record FILE]\n",
                     argv[0]);
        return 1;
    }
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c))
        return 2;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    const xcb_screen_t* screen = screens.data;

    const xcb_window_t window = xcb_generate_id(c);
    const uint32_t values[] = {options.overrideRedirect ? 1u : 0u, XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 200, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK,
                      values);

    const xcb_atom_t utf8 = Intern(c, "UTF8_STRING");
    const xcb_atom_t protocols = Intern(c, "WM_PROTOCOLS");
    const xcb_atom_t deleteWindow = Intern(c, "WM_DELETE_WINDOW");
    const auto titleLength = static_cast<uint32_t>(options.title.size());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, utf8, 8, titleLength,
                        options.title.data());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, Intern(c, "_NET_WM_NAME"), utf8, 8, titleLength,
                        options.title.data());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, protocols, XCB_ATOM_ATOM, 32, 1, &deleteWindow);
    if (options.dock) {
        const xcb_atom_t dock = Intern(c, "_NET_WM_WINDOW_TYPE_DOCK");
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, Intern(c, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32,
                            1, &dock);
    }

    const long long mapped = MonotonicNs();
    xcb_map_window(c, window);
    // A round trip: the window is mapped when its id is printed.
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    std::printf("0x%08x\n", window);
    std::fflush(stdout);

    while (xcb_generic_event_t* event = xcb_wait_for_event(c)) {
        const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event);
        const bool closeRequest = (event->response_type & 0x7f) == XCB_CLIENT_MESSAGE && message->type == protocols &&
                                  message->data.data32[0] == deleteWindow;
        std::free(event);
        if (!closeRequest)
            continue;
        if (options.record)
            Record(options.record, mapped, MonotonicNs());
        if (!options.ignoreClose) {
            xcb_disconnect(c);
            return 0;
        }
    }
    xcb_disconnect(c);
    return 3;
}
