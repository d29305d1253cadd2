#pragma once
// The console in this process on the offscreen platform: one QApplication for
// the test program, a fresh installation folder per test with the built skin,
// a private runtime folder for the single-instance mailbox, scripted message
// boxes, and a real warrow-accountd on a free loopback port when a test asks.

#include "tests/core/InstallationFolder.h"
#include "tests/server/ServerProcess.h"

#include "console/CWarrowTrayApp.h"
#include "net/UserLoginMessage.h"

#include <QString>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class ConsoleTest : public InstallationFolder {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts warrow-accountd for this test and points Config.ini at it.
    void StartServer(const std::string& currentVersion = "0_0_0_0", std::vector<std::string> extra = {});
    // Points Config.ini [Network] at 127.0.0.1:port.
    void SetServerPort(unsigned short port);
    void SetConfigInt(const char* section, const char* key, int value);
    // A new account straight from the server, as a second client would get it.
    user_login_message::tagAccountInfo RegisterAccount();
    // Stores the account as a finished first run leaves it (before the console starts).
    void StoreAccount(const user_login_message::tagAccountInfo& account, const std::string& parentPassword);
    // The System record as another program reads it from the database file.
    tagSystemInfo StoredRecord();

    // Creates the application object and starts it as main() does.
    CWarrowTrayApp& StartConsole();

    bool MessageBoxShown(const QString& text) const;
    QString NoticeText() const;

    std::unique_ptr<CServerProcess> m_server;
    std::unique_ptr<CWarrowTrayApp> m_app;
    std::filesystem::path m_runtime;
};

// The password digest the console stores for `password`.
std::string Digest(const std::string& password);
