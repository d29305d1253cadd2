#pragma once
// Runs one reference server as a child process on a free loopback port and
// keeps its log. Waits are bounded so that a fault fails instead of hanging.

#include <arpa/inet.h>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
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
        const std::string marker = "listening on ";
        // "listening on 127.0.0.1:PORT": the port follows the line's last colon.
        if (WaitForLog(marker + "127.0.0.1:") && WaitForLog("\n")) {
            const auto end = m_text.find('\n', m_text.find(marker));
            m_port = static_cast<unsigned short>(std::atoi(m_text.c_str() + m_text.rfind(':', end) + 1));
        }
    }
    ~CServerProcess() {
        Stop();
        if (m_log >= 0)
            close(m_log);
    }
    CServerProcess(const CServerProcess&) = delete;
    CServerProcess& operator=(const CServerProcess&) = delete;

    unsigned short Port() const { return m_port; }

    // Sends SIGTERM once and returns the exit status (-1 when it did not end normally).
    int Stop() {
        if (m_pid <= 0)
            return m_status;
        kill(m_pid, SIGTERM);
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        ReadLog(100);
        return m_status;
    }

    // True once `text` has appeared in the log.
    bool WaitForLog(const std::string& text) {
        for (int i = 0; i < 100 && m_text.find(text) == std::string::npos; ++i)
            if (!ReadLog(100) && m_pid <= 0)
                break;
        return m_text.find(text) != std::string::npos;
    }
    const std::string& Log() const { return m_text; }

private:
    bool ReadLog(int ms) {
        pollfd p{m_log, POLLIN, 0};
        if (m_log < 0 || poll(&p, 1, ms) != 1)
            return false;
        char buf[4096];
        const ssize_t n = read(m_log, buf, sizeof buf);
        if (n <= 0)
            return false;
        m_text.append(buf, static_cast<std::size_t>(n));
        return true;
    }

    pid_t m_pid = -1;
    int m_log = -1;
    int m_status = -1;
    unsigned short m_port = 0;
    std::string m_text;
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
    // Bytes until `n` arrived, the server closed, or 10 s passed.
    std::vector<unsigned char> Receive(std::size_t n) {
        std::vector<unsigned char> out;
        unsigned char buf[4096];
        pollfd p{m_fd, POLLIN, 0};
        while (out.size() < n && poll(&p, 1, 10000) == 1) {
            const ssize_t got = recv(m_fd, buf, sizeof buf, 0);
            if (got <= 0)
                break;
            out.insert(out.end(), buf, buf + got);
        }
        return out;
    }
    // True when the server closes the connection within 10 s.
    bool ClosedByServer() {
        unsigned char buf[256];
        pollfd p{m_fd, POLLIN, 0};
        while (poll(&p, 1, 10000) == 1) {
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
