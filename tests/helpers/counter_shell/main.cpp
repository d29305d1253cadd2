// Appends "resume <counter> <pid>" to counter.log in the current folder,
// then counts the counter up and saves it, every few milliseconds, until killed.
#include "core/CWarrowControl.h"

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <thread>
#include <unistd.h>

int main() {
    CWarrowControl control;
    if (!control.Load()) {
        return 1;
    }
    tagConfig& config = control.GetConfig();
    const std::string line =
        "resume " + std::to_string(config.CountTime) + " " + std::to_string(::getpid()) + "\n";
    const int log = ::open("counter.log", O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (log < 0 || ::write(log, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
        return 1;
    }
    ::close(log);
    for (;;) {
        ++config.CountTime;
        control.SaveTime();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}
