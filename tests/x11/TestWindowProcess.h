#pragma once
// One run of the helper X client warrow_test_window (tests/helpers/x11).

#include "tests/x11/Spawn.h"

#include <xcb/xcb.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

class TestWindowProcess {
public:
    // `input`, when given, becomes the helper's standard input.
    TestWindowProcess(const std::string& program, const std::vector<std::string>& arguments, int input = -1) {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0)
            return;
        std::vector<std::string> args = {program};
        args.insert(args.end(), arguments.begin(), arguments.end());
        std::vector<tagRedirect> redirects = {{fds[1], 1}};
        if (input >= 0)
            redirects.push_back({input, 0});
        m_pid = Spawn(args, redirects);
        close(fds[1]);
        m_nOut = fds[0];
    }

    ~TestWindowProcess() {
        if (m_pid > 0 && !m_bReaped) {
            kill(m_pid, SIGKILL);
            while (waitpid(m_pid, nullptr, 0) < 0 && errno == EINTR) {
            }
        }
        if (m_nOut >= 0)
            close(m_nOut);
    }

    TestWindowProcess(const TestWindowProcess&) = delete;
    TestWindowProcess& operator=(const TestWindowProcess&) = delete;

    pid_t Pid() const { return m_pid; }

    // The window's id, printed by the helper once its window is mapped;
    // 0 when it printed none within ten seconds (a guard, not a measure).
    xcb_window_t Window() {
        std::string line;
        while (m_pid > 0 && m_nOut >= 0) {
            pollfd pfd{m_nOut, POLLIN, 0};
            char ch = 0;
            if (poll(&pfd, 1, 10000) <= 0 || read(m_nOut, &ch, 1) != 1)
                return 0;
            if (ch == '\n')
                return static_cast<xcb_window_t>(std::strtoul(line.c_str(), nullptr, 16));
            line += ch;
        }
        return 0;
    }

    // True once the helper has ended (then ExitStatus holds its status).
    bool Ended() {
        if (m_bReaped)
            return true;
        int status = 0;
        if (m_pid <= 0 || waitpid(m_pid, &status, WNOHANG) != m_pid)
            return false;
        m_bReaped = true;
        m_nStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return true;
    }

    // Waits for the helper to end; -1 when it is still running after ten
    // seconds (a guard against a hanging test, not a measure).
    int Wait() {
        for (int i = 0; i < 2000 && !Ended(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return m_bReaped ? m_nStatus : -1;
    }

    int ExitStatus() const { return m_nStatus; }

private:
    pid_t m_pid = -1;
    int m_nOut = -1;
    bool m_bReaped = false;
    int m_nStatus = -1;
};
