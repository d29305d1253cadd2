#pragma once
// A private PulseAudio server with one null sink, for tests of the volume
// that need a real sound server. PULSE_SERVER points at it while it lives.

#include "tests/support/Wait.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

// A private PulseAudio server with one null sink, when pulseaudio is installed.
class PulseServer {
public:
    PulseServer() {
        if (::access("/usr/bin/pulseaudio", X_OK) != 0) {
            return;
        }
        m_dir = std::filesystem::temp_directory_path() / ("pulse-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_dir);
        const std::string socket = (m_dir / "native").string();
        m_pid = ::fork();
        if (m_pid == 0) {
            ::setenv("HOME", m_dir.c_str(), 1);
            ::setenv("XDG_RUNTIME_DIR", m_dir.c_str(), 1);
            const std::string protocol =
                "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket;
            ::execl("/usr/bin/pulseaudio", "pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                    "--disallow-exit", "--log-target=stderr", "--log-level=0",
                    "--load=module-null-sink sink_name=warrow_test", protocol.c_str(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);
        m_running = testwait::ForFile(socket);
    }
    ~PulseServer() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
        ::unsetenv("PULSE_SERVER");
        if (!m_dir.empty()) {
            std::filesystem::remove_all(m_dir);
        }
    }
    bool Running() const { return m_running; }

private:
    pid_t m_pid = -1;
    std::filesystem::path m_dir;
    bool m_running = false;
};
