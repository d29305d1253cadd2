#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

// Runs a copy of WarrowSvc placed in an installation folder, started from
// another directory, with its standard output and error in files.
class ServiceProcess {
public:
    // `name` keeps the output files of several services in one folder apart.
    explicit ServiceProcess(std::filesystem::path folder, std::string name = "service")
        : m_folder(std::move(folder)), m_name(std::move(name)) {
        if (!std::filesystem::exists(Program())) {
            std::filesystem::copy_file(std::getenv("WARROW_SVC"), Program());
        }
    }
    ~ServiceProcess() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }

    std::filesystem::path Program() const { return m_folder / "WarrowSvc"; }
    std::filesystem::path Socket() const { return m_folder / "svc.sock"; }

    void Start(const std::vector<std::string>& arguments = {}) {
        std::remove(OutPath().c_str());
        std::remove(ErrPath().c_str());
        m_pid = ::fork();
        if (m_pid == 0) {
            // Never mistake the test for a systemd unit, whatever runs the tests.
            ::unsetenv("INVOCATION_ID");
            ::unsetenv("NOTIFY_SOCKET");
            ::setenv("WARROW_SERVICE_SOCKET", Socket().c_str(), 1);
            if (m_seatUser >= 0) {
                ::setenv("WARROW_TEST_SEAT_UID", std::to_string(m_seatUser).c_str(), 1);
            }
            if (std::freopen(OutPath().c_str(), "w", stdout) == nullptr ||
                std::freopen(ErrPath().c_str(), "w", stderr) == nullptr || ::chdir("/") != 0) {
                ::_exit(126);
            }
            std::vector<std::string> texts{Program().string()};
            texts.insert(texts.end(), arguments.begin(), arguments.end());
            std::vector<char*> argv;
            for (auto& t : texts) {
                argv.push_back(t.data());
            }
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
    }

    // Exit status, or -1 when the process did not exit normally.
    int Wait() {
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    int Run(const std::vector<std::string>& arguments) {
        Start(arguments);
        return Wait();
    }
    int StopWith(int signal) {
        ::kill(m_pid, signal);
        return Wait();
    }
    pid_t Pid() const { return m_pid; }
    // The person at the computer as the service will see it (instead of
    // asking logind), from the next Start on.
    void SetSeatUser(uid_t uid) { m_seatUser = static_cast<long>(uid); }

    std::string Out() const { return Read(OutPath()); }
    std::string Err() const { return Read(ErrPath()); }

    // Waits until the output holds `text`; false when the service ended
    // first or nothing came within a generous hang guard.
    bool WaitForOutput(const std::string& text) {
        return Until([&] { return Out().find(text) != std::string::npos; });
    }

    template <class F> static bool Until(F done) {
        for (int i = 0; i < 2000; ++i) {
            if (done()) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return done();
    }

    static std::string Read(const std::filesystem::path& path) {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    std::filesystem::path OutPath() const { return m_folder / (m_name + ".out"); }
    std::filesystem::path ErrPath() const { return m_folder / (m_name + ".err"); }

    std::filesystem::path m_folder;
    std::string m_name;
    pid_t m_pid = -1;
    long m_seatUser = -1;
};

inline void WriteScript(const std::filesystem::path& path, const std::string& body) {
    std::ofstream(path) << "#!/bin/sh\n" << body;
    ::chmod(path.c_str(), 0755);
}
