#pragma once
// Waits that end when the awaited thing happens, told by the kernel (inotify
// for a file, a pidfd for a process), with a generous limit that only guards
// against a hang: a test never sleeps a fixed time and then looks.

#include <poll.h>
#include <sys/inotify.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>

namespace testwait {

using namespace std::chrono_literals;

namespace detail {

// Milliseconds left until `deadline` (0 once it has passed).
inline int MillisecondsUntil(std::chrono::steady_clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

} // namespace detail

// True once `done()` holds; it is asked again whenever something in
// `folder` is created, written, renamed into place or has its attributes
// changed (a file replaced by a rename, a database's log written), never on a
// timer; false when `limit` passes first. `folder` must exist.
template <class Condition>
bool ForChange(const std::filesystem::path& folder, Condition done, std::chrono::milliseconds limit = 30s) {
    const int fd = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    const bool watching =
        ::inotify_add_watch(fd, folder.c_str(),
                            IN_CREATE | IN_MOVED_TO | IN_CLOSE_WRITE | IN_MODIFY | IN_ATTRIB) >= 0;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    // Asked after the watch is set, so a change in between is not missed.
    bool held = false;
    while (watching && !(held = done())) {
        const int wait = detail::MillisecondsUntil(deadline);
        pollfd ready{fd, POLLIN, 0};
        if (wait == 0 || (::poll(&ready, 1, wait) < 0 && errno != EINTR)) {
            break;
        }
        char events[4096];
        while (::read(fd, events, sizeof events) > 0) {
        }
    }
    ::close(fd);
    return held || done();
}

// True once `path` exists (created, renamed into place, or already there);
// false when `limit` passes first. The folder holding it must exist.
inline bool ForFile(const std::filesystem::path& path, std::chrono::milliseconds limit = 30s) {
    const auto folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    return ForChange(
        folder,
        [&path] {
            std::error_code error;
            return std::filesystem::exists(path, error);
        },
        limit);
}

// True once process `pid` has ended (for a child of this process: once it is
// a zombie or reaped); false when `limit` passes first.
inline bool ForExit(pid_t pid, std::chrono::milliseconds limit = 30s) {
    const int fd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (fd < 0) {
        return errno == ESRCH;
    }
    const auto deadline = std::chrono::steady_clock::now() + limit;
    pollfd ended{fd, POLLIN, 0};
    int ready = 0;
    do {
        ready = ::poll(&ended, 1, detail::MillisecondsUntil(deadline));
    } while (ready < 0 && errno == EINTR);
    ::close(fd);
    return ready > 0;
}

} // namespace testwait
