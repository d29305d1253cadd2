#pragma once
// Runs one reference server as a child process on a free loopback port and
// keeps its log. Waits are bounded so that a fault fails instead of hanging.

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

class CServerProcess {
public:
    CServerProcess(const char* programVariable, std::vector<std::string> args) {
        const char* program = std::getenv(programVariable);
        if (program == nullptr)
            return;
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0)
            return;
        m_pid = fork();
        if (m_pid == 0) {
            dup2(out[1], STDERR_FILENO);
            std::vector<char*> argv{const_cast<char*>(program)};
            for (auto& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(program, argv.data());
            _exit(127);
        }
        close(out[1]);
        m_log = out[0];
        // The log is drained all the time: a server that logs a lot must never block on a full pipe.
        m_reader = std::thread([this] { ReadLog(); });
        const std::string marker = "listening on 127.0.0.1:";
        // "listening on 127.0.0.1:PORT\n": the port follows the marker.
        if (WaitFor([&](const std::string& text) {
                const auto at = text.find(marker);
                return at != std::string::npos && text.find('\n', at) != std::string::npos;
            })) {
            const std::string text = Log();
            m_port = static_cast<unsigned short>(std::atoi(text.c_str() + text.find(marker) + marker.size()));
        }
    }
    ~CServerProcess() {
        Stop();
        if (m_reader.joinable())
            m_reader.join();
        if (m_log >= 0)
            close(m_log);
    }
    CServerProcess(const CServerProcess&) = delete;
    CServerProcess& operator=(const CServerProcess&) = delete;

    unsigned short Port() const { return m_port; }
    pid_t Pid() const { return m_pid; }

    // Ends the server without a chance to clean up, as a power cut or the OOM killer would.
    void Kill() {
        if (m_pid <= 0)
            return;
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
        m_status = -1;
        WaitForEnd();
    }
    // True while the process has not ended; one found ended is reaped here,
    // and its status kept for Stop().
    bool Running() {
        if (m_pid <= 0)
            return false;
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == 0)
            return true;
        m_pid = -1;
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        WaitForEnd();
        return false;
    }

    // Sends SIGTERM once and returns the exit status (-1 when it did not end normally).
    int Stop() {
        if (m_pid <= 0)
            return m_status;
        kill(m_pid, SIGTERM);
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        WaitForEnd();
        return m_status;
    }

    // True once `text` has appeared in the log (waits up to 60 s).
    bool WaitForLog(const std::string& text) {
        return WaitFor([&](const std::string& log) { return log.find(text) != std::string::npos; });
    }
    std::string Log() const {
        std::lock_guard lock(m_lock);
        return m_text;
    }
    std::size_t CountInLog(const std::string& text) const {
        const std::string log = Log();
        std::size_t count = 0;
        for (auto at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
            ++count;
        return count;
    }

private:
    template <typename Predicate> bool WaitFor(Predicate done) {
        std::unique_lock lock(m_lock);
        return m_changed.wait_for(lock, std::chrono::seconds(60), [&] { return done(m_text) || m_bEnded; }) &&
               done(m_text);
    }
    // The log's end: everything the process wrote has been read.
    void WaitForEnd() {
        std::unique_lock lock(m_lock);
        m_changed.wait_for(lock, std::chrono::seconds(60), [&] { return m_bEnded; });
    }
    void ReadLog() {
        char buf[4096];
        for (;;) {
            const ssize_t n = read(m_log, buf, sizeof buf);
            if (n < 0 && errno == EINTR)
                continue;
            std::lock_guard lock(m_lock);
            if (n <= 0) {
                m_bEnded = true;
                m_changed.notify_all();
                return;
            }
            m_text.append(buf, static_cast<std::size_t>(n));
            m_changed.notify_all();
        }
    }

    pid_t m_pid = -1;
    int m_log = -1;
    int m_status = -1;
    unsigned short m_port = 0;
    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    std::string m_text;
    bool m_bEnded = false;
    std::thread m_reader;
};

// A bare client for sending bytes no message class would produce.
class CRawClient {
public:
    explicit CRawClient(unsigned short port) {
        m_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_connected = connect(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    ~CRawClient() { close(m_fd); }
    CRawClient(const CRawClient&) = delete;
    CRawClient& operator=(const CRawClient&) = delete;

    bool Connected() const { return m_connected; }
    void Send(const std::vector<unsigned char>& bytes) {
        send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    }
    int Fd() const { return m_fd; }
    // Bytes until `n` arrived, the server closed, or 30 s passed.
    std::vector<unsigned char> Receive(std::size_t n) {
        std::vector<unsigned char> out;
        unsigned char buf[4096];
        pollfd p{m_fd, POLLIN, 0};
        while (out.size() < n && poll(&p, 1, 30000) == 1) {
            const ssize_t got = recv(m_fd, buf, sizeof buf, 0);
            if (got <= 0)
                break;
            out.insert(out.end(), buf, buf + got);
        }
        return out;
    }
    // True when the server closes the connection within 30 s.
    bool ClosedByServer() {
        unsigned char buf[256];
        pollfd p{m_fd, POLLIN, 0};
        while (poll(&p, 1, 30000) == 1) {
            const ssize_t got = recv(m_fd, buf, sizeof buf, 0);
            if (got <= 0)
                return true;
        }
        return false;
    }

private:
    int m_fd = -1;
    bool m_connected = false;
};
