// deskguard_bench [windows] [--only TEXT]   (default 200 windows, every run)
//
// Admission latency of refused windows: from the moment a window is mapped
// to the moment the close request reaches its program. The helper program
// warrow_test_window prepares its windows and maps them all when told, so
// that they arrive as one burst; it records both moments for each window.
// A stand-in for the shell has installed the hook on its own window and, for
// every window reported created, refuses it in one of two ways:
// - "close at once without the hook": no hook; the stand-in reads the
//   server's map events itself and sends WM_DELETE_WINDOW at once (what the
//   server and the helper cost whoever judges: the floor);
// - "close at once": sends WM_DELETE_WINDOW as soon as the hook's message
//   arrives (the hook's own latency);
// - "shell check": first does what the shell does before it refuses a
//   window. Like the shell, it takes the hook's messages that have arrived
//   as one batch, then checks them together: existence and process id
//   through X-Resource and WM_PROTOCOLS for all in one round trip,
//   executable paths (once per process), the allow-list test, then
//   CloseAsLooked (every close request with one flush, no round trip).
//   The window manager's identity (its check window, the manager
//   selection's owner and their process) rides in the same round trip,
//   as in the shell; "manager apart" looks the check window up after the
//   windows, with two round trips of its own, as the shell used to. A stand-in manager (a check
//   window that points at itself, and the manager selection) is there for
//   the whole run, so the lookups have something to find.
// Each refusal runs against two bursts, on an Xvfb of its own:
// - one program mapping all the windows at once;
// - as many programs, one window each, all mapping at the same moment
//   (this also measures how fast the machine wakes that many processes).
// The shell check runs a third burst of override-redirect windows (a
// program that tries to pass as a menu), which the hook reports as other
// windows. The helper destroys a window as soon as its close request
// arrives, so the latency is also how long a refused window stays mapped.
// For each run: p50 and p99 of the latency, and windows per second from the
// first map to the last close request. A line of stages says where the
// burst's time goes, each from the first map: the last map event the
// server sent (seen by an observer client of its own, as the hook sees
// it), the last report (hook message, or map event without the hook) the
// shell stand-in read, the end of its last
// refusal (look, judging, close requests flushed), and the last close
// request the helper read. --only runs the bursts whose name
// contains TEXT (and the look alone when "look" does), so that one case can
// be repeated on its own.

#include "platform/x11/CXConnection.h"
#include "platform/x11/DeskGuard.h"
#include "platform/x11/WindowClose.h"
#include "platform/x11/WindowManager.h"
#include "platform/x11/WindowProcess.h"
#include "platform/x11/XProtocol.h"
#include "tests/x11/TestWindowProcess.h"
#include "tests/x11/XvfbServer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <poll.h>
#include <string>
#include <thread>
#include <time.h>
#include <unistd.h>
#include <utility>
#include <vector>

using namespace deskguard;

namespace {

// Called once per message ("close at once") or once per batch of the
// messages at hand ("shell check").
using Refusal = std::function<void(const CXConnection&, const std::vector<xcb_window_t>&)>;

void CloseAtOnce(const CXConnection& shell, const std::vector<xcb_window_t>& windows) {
    for (const xcb_window_t window : windows) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = shell.Atom(enAtom::WmProtocols);
        event.data.data32[0] = shell.Atom(enAtom::WmDeleteWindow);
        xcb_send_event(shell.Get(), 0, window, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&event));
        xcb_flush(shell.Get());
    }
}

// The allow-list test and the close requests, once the windows were looked at.
void RefuseLooked(const CXConnection& shell, const std::vector<xcb_window_t>& windows,
                  const std::vector<tagWindowOwner>& owners);

void ShellCheck(const CXConnection& shell, const std::vector<xcb_window_t>& windows) {
    static tagManagerLook manager; // kept between batches, as the shell keeps it
    RefuseLooked(shell, windows, LookAtSession(shell, windows, manager).owners);
}

void ShellCheckManagerApart(const CXConnection& shell, const std::vector<xcb_window_t>& windows) {
    const std::vector<tagWindowOwner> owners = WindowOwners(shell, windows);
    (void)FindWindowManager(shell); // two more round trips: the root's property, then the window's
    RefuseLooked(shell, windows, owners);
}

void RefuseLooked(const CXConnection& shell, const std::vector<xcb_window_t>& windows,
                  const std::vector<tagWindowOwner>& owners) {
    std::map<pid_t, std::string> paths;
    std::vector<xcb_window_t> refused;
    std::vector<tagWindowOwner> refusedOwners;
    for (size_t i = 0; i < windows.size(); ++i) {
        if (!owners[i].exists)
            continue;
        auto path = paths.find(owners[i].pid);
        if (path == paths.end())
            path = paths.emplace(owners[i].pid, ExecutablePath(owners[i].pid)).first;
        if (path->second.find("/allowed/games") == std::string::npos) {
            refused.push_back(windows[i]);
            refusedOwners.push_back(owners[i]);
        }
    }
    CloseAsLooked(shell, refused, refusedOwners);
}

long long NowNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// A client of its own that notes when the server sends each map event of
// the root's children, as the hook receives them; runs until `count` maps
// were seen or nothing happens for 5 s.
class CMapObserver {
public:
    explicit CMapObserver(int count) : m_x(CXConnection::Open()), m_count(count) {
        if (!m_x)
            return;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_x->Get(), m_x->Root(), XCB_CW_EVENT_MASK, &mask);
        m_x->Sync();
        m_thread = std::thread([this] { Run(); });
    }
    ~CMapObserver() {
        if (m_thread.joinable())
            m_thread.join();
    }
    // After the burst: when the last map event arrived (0: not all did).
    long long LastMap() {
        if (m_thread.joinable())
            m_thread.join();
        return m_seen == m_count ? m_last : 0;
    }

private:
    void Run() {
        const int fd = xcb_get_file_descriptor(m_x->Get());
        while (m_seen < m_count) {
            xcb_generic_event_t* event = xcb_poll_for_event(m_x->Get());
            if (event == nullptr) {
                pollfd pfd{fd, POLLIN, 0};
                if (poll(&pfd, 1, 5000) <= 0 || xcb_connection_has_error(m_x->Get()))
                    return;
                continue;
            }
            if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
                ++m_seen;
                m_last = NowNs();
            }
            std::free(event);
        }
    }

    std::unique_ptr<CXConnection> m_x;
    const int m_count;
    int m_seen = 0;
    long long m_last = 0;
    std::thread m_thread;
};

struct tagWay {
    std::string name;
    Refusal refuse;
    bool batched;
    bool withoutHook = false; // the stand-in reads the server's map events itself
};

struct tagRecord {
    long long mapped;
    long long closed;
};

std::vector<tagRecord> ReadRecords(const std::string& path) {
    std::vector<tagRecord> records;
    std::ifstream in(path);
    tagRecord record{};
    while (in >> record.mapped >> record.closed)
        records.push_back(record);
    return records;
}

double Percentile(const std::vector<double>& sorted, double fraction) {
    const auto index = static_cast<size_t>(fraction * static_cast<double>(sorted.size() - 1) + 0.5);
    return sorted[std::min(index, sorted.size() - 1)];
}

// Returns false when not every window got its close request.
bool Burst(const std::string& name, int programs, int windowsEach, const tagWay& way,
           bool overrideRedirect = false) {
    const int windows = programs * windowsEach;
    std::unique_ptr<CXConnection> shell = CXConnection::Open();
    if (!shell)
        return false;
    const xcb_window_t shellWindow = xcb_generate_id(shell->Get());
    xcb_create_window(shell->Get(), XCB_COPY_FROM_PARENT, shellWindow, shell->Root(), 0, 0, 100, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    shell->Sync();
    if (way.withoutHook) {
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(shell->Get(), shell->Root(), XCB_CW_EVENT_MASK, &mask);
        shell->Sync();
    } else if (!DG_ShellHookInstall(shellWindow)) {
        std::fprintf(stderr, "DG_ShellHookInstall failed\n");
        return false;
    }

    char recordPath[] = "/tmp/deskguard-bench-XXXXXX";
    const int recordFd = mkstemp(recordPath);
    int go[2];
    if (recordFd < 0 || pipe2(go, O_CLOEXEC) != 0)
        return false;
    close(recordFd);

    // Every helper connects and prepares its window, then waits for the
    // end of the shared pipe to map it.
    std::vector<std::unique_ptr<TestWindowProcess>> helpers;
    for (int i = 0; i < programs; ++i) {
        std::vector<std::string> arguments{
            "--title",   "refused " + std::to_string(i), "--record",    recordPath,
            "--windows", std::to_string(windowsEach),    "--wait-stdin"};
        if (overrideRedirect)
            arguments.push_back("--override-redirect");
        helpers.push_back(std::make_unique<TestWindowProcess>(WARROW_TEST_WINDOW, arguments, go[0]));
    }
    close(go[0]);
    for (auto& helper : helpers)
        helper->Window();
    CMapObserver observer(windows);
    close(go[1]);

    int refused = 0;
    const int xfd = xcb_get_file_descriptor(shell->Get());
    std::vector<xcb_window_t> batch;
    long long lastMessage = 0;
    long long refusalsDone = 0;
    for (int idle = 0; refused < windows && idle < 100;) { // 5 s without news: give up
        while (xcb_generic_event_t* event = xcb_poll_for_event(shell->Get())) {
            const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event);
            const auto* map = reinterpret_cast<const xcb_map_notify_event_t*>(event);
            const bool mapped = way.withoutHook && event->response_type == XCB_MAP_NOTIFY &&
                                map->event == shell->Root() && map->window != shellWindow;
            const bool reported = !way.withoutHook && (event->response_type & 0x7f) == XCB_CLIENT_MESSAGE &&
                                  message->type == shell->Atom(enAtom::WarrowShellHook) &&
                                  message->data.data32[0] == WM_DG_WINDOWCREATED;
            if (mapped || reported) {
                batch.push_back(mapped ? map->window : message->data.data32[1]);
                lastMessage = NowNs();
                if (!way.batched) {
                    way.refuse(*shell, std::exchange(batch, {}));
                    refusalsDone = NowNs();
                }
                ++refused;
                idle = 0;
            }
            std::free(event);
        }
        if (!batch.empty()) {
            way.refuse(*shell, std::exchange(batch, {}));
            refusalsDone = NowNs();
            // Reading the look's replies may have queued more messages inside
            // xcb, which poll on the socket would not see: take them first.
            continue;
        }
        pollfd pfd{xfd, POLLIN, 0};
        if (refused < windows && poll(&pfd, 1, 50) == 0)
            ++idle;
    }
    for (auto& helper : helpers)
        helper->Wait();
    DG_ShellHookUnistall();

    const std::vector<tagRecord> records = ReadRecords(recordPath);
    unlink(recordPath);
    if (records.empty()) {
        std::fprintf(stderr, "%s: no close request arrived\n", name.c_str());
        return false;
    }
    std::vector<double> latencies;
    long long first = records.front().mapped;
    long long last = records.front().closed;
    for (const tagRecord& record : records) {
        latencies.push_back(static_cast<double>(record.closed - record.mapped) / 1e6);
        first = std::min(first, record.mapped);
        last = std::max(last, record.closed);
    }
    std::sort(latencies.begin(), latencies.end());
    const double seconds = static_cast<double>(last - first) / 1e9;
    std::printf("%s: %d windows, %d refused, %zu close requests arrived\n", name.c_str(), windows, refused,
                records.size());
    std::printf("  latency map -> close request (time mapped): p50 %.3f ms, p99 %.3f ms, max %.3f ms\n",
                Percentile(latencies, 0.50), Percentile(latencies, 0.99), latencies.back());
    const long long lastMap = observer.LastMap();
    const auto since = [first](long long when) { return static_cast<double>(when - first) / 1e6; };
    std::printf("  stages from the first map: last map event %.3f ms, last report read %.3f ms, "
                "refusals done %.3f ms, last close request read %.3f ms\n",
                lastMap ? since(lastMap) : -1.0, since(lastMessage), since(refusalsDone), since(last));
    std::printf("  %.0f windows/s (first map to last close request %.3f ms)\n",
                static_cast<double>(records.size()) / seconds, seconds * 1e3);
    return records.size() == static_cast<size_t>(windows);
}

// The shell's look alone, without the hook and the helpers' wake-ups: the
// median of many looks at the same windows is steadier on a busy machine
// than a burst's latency.
void LookOnly(int count) {
    std::unique_ptr<CXConnection> x = CXConnection::Open();
    if (!x)
        return;
    std::vector<xcb_window_t> windows;
    for (int i = 0; i < count; ++i) {
        windows.push_back(xcb_generate_id(x->Get()));
        xcb_create_window(x->Get(), XCB_COPY_FROM_PARENT, windows.back(), x->Root(), 0, 0, 10, 10, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    }
    x->Sync();
    const auto median = [&](const std::function<void()>& look) {
        std::vector<double> times;
        for (int i = 0; i < 500; ++i) {
            timespec start{}, end{};
            clock_gettime(CLOCK_MONOTONIC, &start);
            look();
            clock_gettime(CLOCK_MONOTONIC, &end);
            times.push_back(static_cast<double>(end.tv_sec - start.tv_sec) * 1e3 +
                            static_cast<double>(end.tv_nsec - start.tv_nsec) / 1e6);
        }
        std::sort(times.begin(), times.end());
        return std::pair{Percentile(times, 0.5), Percentile(times, 0.99)};
    };
    tagManagerLook known;
    const auto together = median([&] { LookAtSession(*x, windows, known); });
    const auto apart = median([&] {
        WindowOwners(*x, windows);
        FindWindowManager(*x);
    });
    std::printf("look at %d windows and the manager, 500 times: in one round trip p50 %.3f ms, p99 %.3f ms; "
                "manager apart p50 %.3f ms, p99 %.3f ms\n",
                count, together.first, together.second, apart.first, apart.second);
}

} // namespace

int main(int argc, char** argv) {
    int windows = 200;
    std::string only;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--only" && i + 1 < argc)
            only = argv[++i];
        else
            windows = std::atoi(argv[i]);
    }
    if (windows <= 0 || windows > 1000) {
        std::fprintf(stderr, "usage: %s [windows 1..1000] [--only TEXT]\n", argv[0]);
        return 1;
    }
    const auto chosen = [&](const std::string& name) { return name.find(only) != std::string::npos; };
    XvfbServer xvfb({"-maxclients", "2048"});
    if (xvfb.Display().empty()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    setenv("DISPLAY", xvfb.Display().c_str(), 1);
    // The stand-in window manager: a check window that points at itself and
    // the manager selection, held by a client of its own.
    std::unique_ptr<CXConnection> manager = CXConnection::Open();
    if (!manager) {
        std::fprintf(stderr, "no X connection for the stand-in manager\n");
        return 1;
    }
    const xcb_window_t check = xcb_generate_id(manager->Get());
    xcb_create_window(manager->Get(), XCB_COPY_FROM_PARENT, check, manager->Root(), 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    const xcb_atom_t checkAtom = manager->Atom(enAtom::NetSupportingWmCheck);
    WriteWords(*manager, check, checkAtom, XCB_ATOM_WINDOW, {check});
    WriteWords(*manager, manager->Root(), checkAtom, XCB_ATOM_WINDOW, {check});
    xcb_set_selection_owner(manager->Get(), check, manager->Atom(enAtom::WmManagerSelection),
                            XCB_CURRENT_TIME);
    manager->Sync();

    const std::string count = std::to_string(windows);
    bool complete = true;
    const auto burst = [&](const std::string& name, int programs, int windowsEach, const tagWay& way,
                           bool overrideRedirect = false) {
        if (chosen(name))
            complete = Burst(name, programs, windowsEach, way, overrideRedirect) && complete;
    };
    for (const tagWay& way :
         {tagWay{"close at once without the hook", CloseAtOnce, false, true},
          tagWay{"close at once", CloseAtOnce, false}, tagWay{"shell check", ShellCheck, true},
          tagWay{"shell check, manager apart", ShellCheckManagerApart, true}}) {
        burst(way.name + ", one program with " + count + " windows", 1, windows, way);
        burst(way.name + ", " + count + " programs with one window", windows, 1, way);
    }
    burst("shell check, one program with " + count + " override-redirect windows", 1, windows,
          tagWay{"shell check", ShellCheck, true}, true);
    if (chosen("look"))
        LookOnly(windows);
    DG_UnInit();
    return complete ? 0 : 1;
}
