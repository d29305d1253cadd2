#pragma once
// The shell's windows in this process, on an Xvfb of the test's own: one X
// server and one QApplication for the whole test program, and a fresh
// installation folder per test with the built skin in it.

#include "tests/core/InstallationFolder.h"
#include "tests/x11/TestWindowProcess.h"
#include "tests/x11/XvfbServer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

class ShellX11Environment : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;
    static bool Ready() { return s_ready; }

private:
    std::unique_ptr<XvfbServer> m_server;
    std::unique_ptr<QApplication> m_app;
    static inline bool s_ready = false;
};

// Runs the event loop until `done` holds; false when it still does not
// after ten seconds (a guard against a hanging test, not a measure).
bool Until(const std::function<bool()>& done);

// A copy of the helper X client at `path`: a program of its own, for the
// allow-list to admit or refuse by its path.
void CopyTestWindow(const std::filesystem::path& path);

class ShellDesktopTest : public InstallationFolder {
protected:
    void SetUp() override;
    void TearDown() override;

    // Adds an allow-list entry to the database (before the core opens it).
    void Allow(const std::string& appName, const std::string& appPath, const std::string& name,
               const std::string& icon = "", const std::string& param = "");
    // Opens the core on this folder.
    void OpenCore();
    std::vector<std::string> LogLines();
    std::string TimeKey(const char* key);

    // Programs outside the installation folder (whose entry admits all of it).
    std::filesystem::path m_outside;
};
