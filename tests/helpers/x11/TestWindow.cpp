// warrow_test_window --title T [--ignore-close] [--dock] [--override-redirect] [--record FILE]
//                   [--windows N] [--wait-stdin] [--geometry X,Y,W,H] [--parent ID] [--reconnect]
//                   [--claim-manager] [--claim-selection]
//
// Maps one top-level window (N with --windows), prints each window's id
// ("0x%08x\n") once the server has mapped them, and waits. With
// --wait-stdin it prints the ids when the windows are ready and maps them
// only once its standard input ends, so that many windows can appear at the
// same moment. Windows are white, 200x100 at the top-left corner unless
// --geometry places them.
//
// A close request (WM_DELETE_WINDOW) destroys its window; the program ends
// with status 0 when it has no window left. With --ignore-close requests
// change nothing. With --record each request appends the line
// "<mapped> <close request arrived>" (CLOCK_MONOTONIC nanoseconds) to FILE,
// before the helper waits for more.
// Ends with status 3 when its X connection is closed (killed), 2 without an
// X server, 1 on bad arguments. With --reconnect a closed connection is
// opened again and the windows shown anew, as a program that tries to get
// past a guard would. With --parent the windows are made inside the window
// ID (of another program, say) instead of on the root. --claim-manager
// points the root's _NET_SUPPORTING_WM_CHECK at the first window (and the
// window's at itself) before anything is mapped, as a program posing as the
// window manager would; --claim-selection also takes the manager selection
// WM_S<screen>.

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <string>
#include <time.h>
#include <unistd.h>

namespace {

struct tagOptions {
    std::string title = "warrow_test_window";
    bool ignoreClose = false;
    bool dock = false;
    bool overrideRedirect = false;
    bool waitStdin = false;
    bool reconnect = false;
    bool claimManager = false;
    bool claimSelection = false;
    xcb_window_t parent = XCB_WINDOW_NONE;
    int windows = 1;
    int x = 0, y = 0, width = 200, height = 100;
    const char* record = nullptr;
};

bool Parse(int argc, char** argv, tagOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--title" && i + 1 < argc)
            options.title = argv[++i];
        else if (arg == "--record" && i + 1 < argc)
            options.record = argv[++i];
        else if (arg == "--windows" && i + 1 < argc)
            options.windows = std::atoi(argv[++i]);
        else if (arg == "--geometry" && i + 1 < argc) {
            if (std::sscanf(argv[++i], "%d,%d,%d,%d", &options.x, &options.y, &options.width,
                            &options.height) != 4 ||
                options.width <= 0 || options.height <= 0)
                return false;
        } else if (arg == "--ignore-close")
            options.ignoreClose = true;
        else if (arg == "--dock")
            options.dock = true;
        else if (arg == "--override-redirect")
            options.overrideRedirect = true;
        else if (arg == "--wait-stdin")
            options.waitStdin = true;
        else if (arg == "--reconnect")
            options.reconnect = true;
        else if (arg == "--claim-manager")
            options.claimManager = true;
        else if (arg == "--claim-selection")
            options.claimSelection = true;
        else if (arg == "--parent" && i + 1 < argc)
            options.parent = static_cast<xcb_window_t>(std::strtoul(argv[++i], nullptr, 0));
        else
            return false;
    }
    return options.windows >= 1 && options.windows <= 10000;
}

long long MonotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

xcb_atom_t Intern(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

void Record(std::string& lines, long long mapped, long long closed) {
    char line[64];
    const int length = std::snprintf(line, sizeof line, "%lld %lld\n", mapped, closed);
    lines.append(line, static_cast<size_t>(length));
}

// Written once the requests at hand are read, so that a burst of them costs
// the helper one write, not one each (the next request's time stays true).
void WriteRecords(int fd, std::string& lines) {
    // One write on an O_APPEND file: lines of many helpers never mix.
    if (fd >= 0 && !lines.empty() &&
        write(fd, lines.data(), lines.size()) != static_cast<ssize_t>(lines.size()))
        std::perror("record");
    lines.clear();
}

struct tagWindowAtoms {
    xcb_atom_t utf8, netWmName, protocols, deleteWindow, windowType, dock;
};

xcb_window_t CreateWindow(xcb_connection_t* c, const xcb_screen_t* screen, const tagOptions& options,
                          const tagWindowAtoms& atoms) {
    const xcb_window_t window = xcb_generate_id(c);
    const uint32_t values[] = {screen->white_pixel, options.overrideRedirect ? 1u : 0u,
                               XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, options.parent ? options.parent : screen->root,
                      static_cast<int16_t>(options.x), static_cast<int16_t>(options.y),
                      static_cast<uint16_t>(options.width), static_cast<uint16_t>(options.height), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                      XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
    const auto titleLength = static_cast<uint32_t>(options.title.size());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, atoms.utf8, 8, titleLength,
                        options.title.data());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, atoms.netWmName, atoms.utf8, 8, titleLength,
                        options.title.data());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, atoms.protocols, XCB_ATOM_ATOM, 32, 1,
                        &atoms.deleteWindow);
    if (options.dock)
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, atoms.windowType, XCB_ATOM_ATOM, 32, 1,
                            &atoms.dock);
    return window;
}

void ClaimManager(xcb_connection_t* c, xcb_window_t root, xcb_window_t window, int screen, bool selection) {
    const xcb_atom_t check = Intern(c, "_NET_SUPPORTING_WM_CHECK");
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, check, XCB_ATOM_WINDOW, 32, 1, &window);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, root, check, XCB_ATOM_WINDOW, 32, 1, &window);
    if (selection) {
        char name[32];
        std::snprintf(name, sizeof name, "WM_S%d", screen);
        xcb_set_selection_owner(c, window, Intern(c, name), XCB_CURRENT_TIME);
    }
}

void PrintIds(const std::map<xcb_window_t, long long>& windows) {
    for (const auto& [window, mapped] : windows)
        std::printf("0x%08x\n", window);
    std::fflush(stdout);
}

int Session(const tagOptions& options, int record) {
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c))
        return 2;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);

    const tagWindowAtoms atoms{Intern(c, "UTF8_STRING"),         Intern(c, "_NET_WM_NAME"),
                               Intern(c, "WM_PROTOCOLS"),        Intern(c, "WM_DELETE_WINDOW"),
                               Intern(c, "_NET_WM_WINDOW_TYPE"), Intern(c, "_NET_WM_WINDOW_TYPE_DOCK")};
    std::map<xcb_window_t, long long> windows; // window -> when it was mapped
    for (int i = 0; i < options.windows; ++i)
        windows[CreateWindow(c, screens.data, options, atoms)] = 0;
    if (options.claimManager || options.claimSelection)
        ClaimManager(c, screens.data->root, windows.begin()->first, screenNumber, options.claimSelection);

    if (options.waitStdin) {
        xcb_flush(c);
        PrintIds(windows);
        char ch = 0;
        while (read(0, &ch, 1) > 0) {
        }
    }
    for (auto& [window, mapped] : windows) {
        mapped = MonotonicNs();
        xcb_map_window(c, window);
    }
    // A round trip: the windows are mapped when their ids are printed.
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    if (!options.waitStdin)
        PrintIds(windows);

    std::string records; // not yet written
    for (;;) {
        xcb_generic_event_t* event = xcb_poll_for_queued_event(c);
        if (event == nullptr) {
            // Nothing more at hand: out with the records and the destroys.
            WriteRecords(record, records);
            xcb_flush(c);
            event = xcb_wait_for_event(c);
        }
        if (event == nullptr)
            break;
        const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event);
        const bool closeRequest = (event->response_type & 0x7f) == XCB_CLIENT_MESSAGE &&
                                  message->type == atoms.protocols &&
                                  message->data.data32[0] == atoms.deleteWindow;
        const xcb_window_t window = message->window;
        std::free(event);
        const auto it = windows.find(window);
        if (!closeRequest || it == windows.end())
            continue;
        if (record >= 0)
            Record(records, it->second, MonotonicNs());
        if (options.ignoreClose)
            continue;
        xcb_destroy_window(c, window);
        windows.erase(it);
        if (windows.empty()) {
            WriteRecords(record, records);
            xcb_disconnect(c);
            return 0;
        }
    }
    WriteRecords(record, records);
    xcb_disconnect(c);
    return 3;
}

} // namespace

int main(int argc, char** argv) {
    tagOptions options;
    if (!Parse(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: %s --title T [--ignore-close] [--dock] [--override-redirect] [--record FILE] "
                     "[--windows N] [--wait-stdin] [--parent ID] [--reconnect] [--claim-manager] "
                     "[--claim-selection]\n",
                     argv[0]);
        return 1;
    }
    const int record =
        options.record ? open(options.record, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644) : -1;
    for (;;) {
        const int status = Session(options, record);
        if (status != 3 || !options.reconnect)
            return status;
    }
}
