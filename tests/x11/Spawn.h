#pragma once
// Starting the programs the tests and benchmarks run beside themselves.

#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <unistd.h> // environ
#include <vector>

// In the child: descriptor `to` becomes a copy of `from`, or /dev/null
// (write only) when `from` is -1.
struct tagRedirect {
    int from;
    int to;
};

// Starts args[0] (looked up in PATH unless it holds a slash) with `args`.
// -1 when it could not be started.
inline pid_t Spawn(std::vector<std::string> args, const std::vector<tagRedirect>& redirects = {}) {
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (const tagRedirect& redirect : redirects) {
        if (redirect.from >= 0)
            posix_spawn_file_actions_adddup2(&actions, redirect.from, redirect.to);
        else
            posix_spawn_file_actions_addopen(&actions, redirect.to, "/dev/null", O_WRONLY, 0);
    }
    pid_t pid = -1;
    const int result = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return result == 0 ? pid : -1;
}
