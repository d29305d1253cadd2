#pragma once
// What the updater's Qt tests share: the scratch installation folder, a
// stand-in for the desktop's file handler, a stand-in console listening for
// the update status, and a way to run one whole update in this process.

#include "platform/SingleInstance.h"
#include "tests/update/UpdateTestFolder.h"
#include "update/CProcess.h"
#include "update/CWarrowUpdateDlg.h"
#include "update/ConsoleStatus.h"

#include <QSignalSpy>
#include <QTest>

#include <functional>

class UpdateQtTest : public UpdateTestFolder {
protected:
    void SetUp() override {
        UpdateTestFolder::SetUp();
        // xdg-open is looked up in PATH: this one only notes what it was asked to open.
        const auto bin = m_root / "bin";
        std::filesystem::create_directories(bin);
        m_opened = m_root / "opened.txt";
        WriteFile(bin / "xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + m_opened.string() + "'\n");
        std::filesystem::permissions(bin / "xdg-open", std::filesystem::perms::owner_all);
        m_oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
        setenv("PATH", (bin.string() + ":" + m_oldPath).c_str(), 1);
    }
    void TearDown() override {
        setenv("PATH", m_oldPath.c_str(), 1);
        CProcess::Free();
        UpdateTestFolder::TearDown();
    }

    static bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 30000) {
        return QTest::qWaitFor(condition, timeoutMs);
    }

    // Runs the update window against `server` as the console would start the
    // updater, until the window ends by itself.
    CWarrowUpdateDlg::enOutcome RunUpdate(const QString& server,
                                          const char* commandLine = "[Warrow.exe][1_0_0_5] -b",
                                          const std::function<void(CWarrowUpdateDlg&)>& whileRunning = {}) {
        CProcess* process = CProcess::Get();
        EXPECT_TRUE(process->ParseCommandLine(commandLine));
        process->SetServer(server.toStdString());
        CWarrowUpdateDlg dlg(*process);
        QSignalSpy finished(&dlg, &QDialog::finished);
        dlg.show();
        dlg.OnInitDialog();
        if (whileRunning)
            whileRunning(dlg);
        EXPECT_TRUE(finished.count() > 0 || finished.wait(60000)) << "the update window did not end";
        m_strFailure = dlg.FailureReason();
        const auto outcome = dlg.Outcome();
        return outcome;
    }

    // The lines of the update log without their time stamps.
    std::vector<std::string> LogMessages() const {
        std::vector<std::string> messages;
        for (const auto& line : Lines(ReadFile(m_folder / "Log/WarrowUpdate.log")))
            messages.push_back(line.size() > 22 ? line.substr(22) : line);
        return messages;
    }

    // A stand-in console: the mailbox the updater posts its status to.
    std::vector<std::string> StatusMessages(platform::SingleInstance& console) {
        std::vector<std::string> messages;
        for (std::string datagram; console.Mailbox().Receive(datagram);)
            messages.push_back(datagram);
        return messages;
    }

    std::filesystem::path m_opened;
    std::string m_oldPath;
    QString m_strFailure;
};
