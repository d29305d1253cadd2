#pragma once
// The child shell's start and end: one instance per user, "/q" asks the
// running one to end, and leaving starts the parent console and ends every
// program the child started.

#include <string>
#include <vector>

class CWarrowApp {
public:
    CWarrowApp(int& argc, char** argv);
    // The whole life of the shell; the process's exit status.
    int InitInstance();

    // Lock and mailbox names of the one running shell.
    static constexpr const char* kInstanceName = "Tavi儿童保护系统 - Warrow";
    static constexpr const char* kWindowTitle = "Warrow";

private:
    int& m_argc;
    char** m_argv;
};

// "/q" as one whole argument.
bool HasQuitSwitch(const std::vector<std::string>& arguments);
