#pragma once
// A program run by an interpreter (a Python or shell game started from its
// launcher) shows its windows as the interpreter's process. When the
// interpreter itself is not allowed, the window guard judges the script it
// runs instead, but only a script the kernel itself would hand to that
// interpreter: a file whose "#!" line names the running program, given as
// the first argument (the second after the "#!" line's one option). Any
// other way of running an interpreter, such as code on its command line,
// leaves the interpreter to be judged.

#include <string>
#include <sys/types.h>
#include <vector>

// The script `argv` (a command line in /proc form) runs, named by an absolute
// path, `executable` the canonical path of the program that runs; empty when
// it runs no such script.
std::string ScriptOfCommand(const std::vector<std::string>& argv, const std::string& executable);

// The same for a running process (its /proc/<pid>/cmdline).
std::string ScriptOfProcess(pid_t pid, const std::string& executable);
