#pragma once
// An Xvfb of its own for a test or benchmark: started on a free display
// (the server picks it and tells through -displayfd), stopped at the end.
// -noreset: by default the server resets whenever its last client leaves,
// and refuses connections meanwhile.

#include "tests/x11/Spawn.h"

#include <cerrno>
#include <csignal>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

class XvfbServer {
public:
    explicit XvfbServer(const std::vector<std::string>& extraArguments = {}) {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0)
            return;
        std::vector<std::string> args = {"Xvfb",     "-displayfd", "3", "-nolisten",  "tcp",
                                         "-noreset", "-screen",    "0", "1280x800x24"};
        args.insert(args.end(), extraArguments.begin(), extraArguments.end());
        m_pid = Spawn(args, {{fds[1], 3}, {-1, 1}, {-1, 2}});
        const bool started = m_pid > 0;
        close(fds[1]);
        if (started)
            m_display = ReadDisplay(fds[0]);
        close(fds[0]);
    }

    ~XvfbServer() {
        if (m_pid <= 0)
            return;
        kill(m_pid, SIGTERM);
        while (waitpid(m_pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }

    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // ":N", or empty when the server did not start.
    const std::string& Display() const { return m_display; }

private:
    // The server writes its display number and a line feed once it accepts
    // connections. Ten seconds is only a guard against a server that hangs.
    static std::string ReadDisplay(int fd) {
        std::string number;
        for (;;) {
            pollfd pfd{fd, POLLIN, 0};
            if (poll(&pfd, 1, 10000) <= 0)
                return {};
            char ch = 0;
            if (read(fd, &ch, 1) != 1)
                return {};
            if (ch == '\n')
                return number.empty() ? std::string() : ":" + number;
            number += ch;
        }
    }

    pid_t m_pid = -1;
    std::string m_display;
};
