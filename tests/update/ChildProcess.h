#pragma once
// Programs the updater's end-to-end tests start: a command run to its end
// with bounded waiting, and a static web server (python3 -m http.server) on
// a free loopback port for as long as the test needs it.

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace update_test {

inline std::vector<char*> Argv(std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    return argv;
}

// Runs `args` in `folder` with these extra variables, output into `outputFile`;
// the exit status, or -1 when it did not end normally within the time.
inline int RunProgram(std::vector<std::string> args, const std::string& folder,
                      const std::map<std::string, std::string>& variables, const std::string& outputFile,
                      int timeoutMs = 120000) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(folder.c_str()) != 0)
            _exit(126);
        for (const auto& [name, value] : variables)
            setenv(name.c_str(), value.c_str(), 1);
        const int out = ::open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(out, STDOUT_FILENO);
        dup2(out, STDERR_FILENO);
        auto argv = Argv(args);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    pid_t ended = 0;
    // Waiting for the child in small steps so a hung program fails the test instead of hanging it.
    for (int waited = 0; waited < timeoutMs && (ended = waitpid(pid, &status, WNOHANG)) == 0; waited += 10)
        usleep(10 * 1000);
    if (ended != pid) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class CStaticWebServer {
public:
    explicit CStaticWebServer(const std::string& folder) {
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0)
            return;
        m_pid = fork();
        if (m_pid == 0) {
            dup2(out[1], STDOUT_FILENO);
            dup2(out[1], STDERR_FILENO);
            std::vector<std::string> args{"python3", "-u",        "-m",          "http.server", "0",
                                          "--bind",  "127.0.0.1", "--directory", folder};
            auto argv = Argv(args);
            execvp("python3", argv.data());
            _exit(127);
        }
        close(out[1]);
        m_out = out[0];
        // "Serving HTTP on 127.0.0.1 port 40123 (http://127.0.0.1:40123/) ..."
        const std::string marker = " port ";
        while (m_text.find(" (http") == std::string::npos && Read(30000)) {
        }
        const auto at = m_text.find(marker);
        if (at != std::string::npos)
            m_port = std::atoi(m_text.c_str() + at + marker.size());
    }
    ~CStaticWebServer() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_out >= 0)
            close(m_out);
    }
    CStaticWebServer(const CStaticWebServer&) = delete;
    CStaticWebServer& operator=(const CStaticWebServer&) = delete;

    int Port() const { return m_port; }
    std::string Base() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/"; }
    // What the server wrote so far (its request log).
    const std::string& Log() {
        while (Read(0)) {
        }
        return m_text;
    }

private:
    bool Read(int timeoutMs) {
        pollfd p{m_out, POLLIN, 0};
        if (m_out < 0 || poll(&p, 1, timeoutMs) <= 0)
            return false;
        char buffer[4096];
        const ssize_t n = read(m_out, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        m_text.append(buffer, static_cast<std::size_t>(n));
        return true;
    }

    pid_t m_pid = -1;
    int m_out = -1;
    int m_port = 0;
    std::string m_text;
};

} // namespace update_test
