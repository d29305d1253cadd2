#pragma once
// The child browser's start and end. Several browsers may run at once.

class CWarrowExplorerApp {
public:
    CWarrowExplorerApp(int argc, char** argv);
    // The whole life of the browser, its phases each inside the crash guard;
    // the process's exit status.
    int Run();

private:
    int m_argc;
    char** m_argv;
};

// Prepares the web engine's environment before Qt starts: the Chromium sandbox
// is switched off only for root (it refuses to start otherwise), and switches
// a child could hand the engine (remote debugging, flags) are cleared.
void PrepareWebEngineEnvironment();
