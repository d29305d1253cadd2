#include "shell/InterpretedScript.h"

#include "platform/Paths.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string RealPath(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr) {
        return {};
    }
    std::string resolved(real);
    std::free(real);
    return resolved;
}

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The "#!" line of a file as its words; empty when it has none.
std::vector<std::string> InterpreterLine(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::string line;
    if (!std::getline(file, line) || line.compare(0, 2, "#!") != 0 || line.size() > 4096) {
        return {};
    }
    std::istringstream words(line.substr(2));
    return {std::istream_iterator<std::string>(words), std::istream_iterator<std::string>()};
}

// The program a "#!" line runs: its first word, or the program "env" looks
// up; with the one option the kernel passes in front of the script.
std::string InterpreterOf(const std::vector<std::string>& line, std::string* option) {
    if (line.empty()) {
        return {};
    }
    const std::string first = RealPath(line[0]);
    if (line[0].size() >= 4 && line[0].compare(line[0].size() - 4, 4, "/env") == 0 && line.size() == 2) {
        return RealPath(platform::FindInPath(line[1])); // env execs the program with the script
    }
    *option = line.size() > 1 ? line[1] : std::string();
    return first;
}

} // namespace

std::string ScriptOfCommand(const std::vector<std::string>& argv, const std::string& executable) {
    if (argv.size() < 2 || executable.empty()) {
        return {};
    }
    for (size_t at = 1; at <= 2 && at < argv.size(); ++at) {
        const std::string& argument = argv[at];
        if (argument.empty() || argument[0] == '-') {
            continue;
        }
        // A relative name would be read against the process's current folder,
        // which the process itself may have changed (a script that moves into
        // an allowed game's folder before it opens a window): only an
        // absolute name, as the shell's own launches pass it, counts.
        if (argument[0] != '/') {
            return {};
        }
        const std::string script = RealPath(argument);
        if (script.empty() || !IsRegularFile(script)) {
            return {};
        }
        std::string option;
        if (InterpreterOf(InterpreterLine(script), &option) != executable) {
            return {};
        }
        // Whatever comes before the script must be the "#!" line's option.
        const bool optionFits = at == 1 ? true : argv[1] == option;
        return optionFits ? script : std::string();
    }
    return {};
}

std::string ScriptOfProcess(pid_t pid, const std::string& executable) {
    if (pid <= 0) {
        return {};
    }
    const std::string proc = "/proc/" + std::to_string(pid);
    std::ifstream cmdline(proc + "/cmdline", std::ios::binary);
    std::vector<std::string> argv;
    std::string argument;
    while (argv.size() < 3 && std::getline(cmdline, argument, '\0')) {
        argv.push_back(argument);
    }
    return ScriptOfCommand(argv, executable);
}
