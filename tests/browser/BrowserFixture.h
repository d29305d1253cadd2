#pragma once
// The child browser in this process on the offscreen platform: one
// QApplication and one web profile for the whole test program (the engine
// starts once), a fresh installation folder, web tree and pair of loopback
// servers per test: one the tree allows, one it does not.

#include "tests/browser/LocalWebServer.h"
#include "tests/core/InstallationFolder.h"

#include "browser/CDlgExplorer.h"
#include "browser/CExplorerPage.h"
#include "browser/CWarrowExplorerDlg.h"
#include "core/CIEListMng.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWebEngineProfile;

class BrowserEnvironment : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;
    static QWebEngineProfile* Profile() { return s_profile; }

private:
    static inline QWebEngineProfile* s_profile = nullptr;
};

// Runs the event loop until `done` holds; false after `seconds` (a guard
// against a hanging test on a loaded machine, not a measure).
bool WaitFor(const std::function<bool()>& done, int seconds = 90);

class BrowserTest : public InstallationFolder {
protected:
    void SetUp() override;
    void TearDown() override;

    // Adds a site to the tree (key derived from the address and level).
    void AllowSite(const std::string& name, const std::string& url, int level, const char* folder = nullptr);
    void AddFolder(const std::string& name);
    // The browser window over the tree as it is now.
    CWarrowExplorerDlg& Browser();

    // Loads `url` in `page` and waits until the engine has settled it: loaded
    // (true) or refused (false).
    bool Load(CDlgExplorer& page, const std::string& url);
    // Runs `script` in the page and waits until its `refusals` have happened.
    bool RunAndWaitForRefusals(CDlgExplorer& page, const std::string& script, int refusals);
    std::vector<std::string> LogLines();
    int Logged(const std::string& line);

    std::string Allowed(const std::string& path) const { return m_allowed->Origin() + path; }
    std::string Refused(const std::string& path) const { return m_refused->Origin() + path; }

    CIEListMng m_web;
    std::unique_ptr<LocalWebServer> m_allowed;
    std::unique_ptr<LocalWebServer> m_refused;
    std::unique_ptr<CWarrowExplorerDlg> m_browser;
};
