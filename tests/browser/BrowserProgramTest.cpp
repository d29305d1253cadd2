// The WarrowExplorer program on an Xvfb, started by the child shell from its
// desktop: the shell admits and logs its window, and the browser opens the
// admitted addresses of its command line, each in a tab of its own.

#include "tests/browser/LocalWebServer.h"
#include "tests/shell/ShellDesktop.h"

#include "core/CDBRecordset.h"
#include "core/WebKey.h"
#include "shell/CDlgSwitcher.h"
#include "shell/CTaskManager.h"
#include "shell/CWarrowDlg.h"

#include <QDeadlineTimer>
#include <QListWidget>
#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>
#include <csignal>

namespace fs = std::filesystem;

namespace {

// Processes events until `done`; false after two minutes (the engine starts
// slowly on a loaded machine; a guard, not a measure).
bool WaitLong(const std::function<bool()>& done) {
    QDeadlineTimer deadline(std::chrono::minutes{2});
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

class BrowserProgramTest : public ShellDesktopTest {
protected:
    // Lines of the activity log as stored, whoever wrote them.
    std::vector<std::string> StoredLog() {
        std::vector<std::string> lines;
        CDBRecordset rs;
        if (Db()->OpenRecordset("SELECT * FROM [AppLog] ORDER BY [ID]", rs)) {
            for (int i = rs.Count(); i > 0; --i, rs.MoveNext()) {
                std::string content;
                rs.GetField("Content", content);
                lines.push_back(content);
            }
        }
        return lines;
    }
    bool Stored(const std::string& line) {
        const auto lines = StoredLog();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
};

TEST_F(BrowserProgramTest, TheShellStartsTheBrowserWhichOpensOnlyAdmittedAddressesOfItsCommandLine) {
    LocalWebServer allowed("127.0.0.1");
    LocalWebServer refused("127.0.0.2");
    allowed.Page("/a.html", "<title>A</title>a");
    allowed.Page("/c.html", "<title>C</title>c");
    refused.Page("/b.html", "b");
    QTcpServer probe; // a free port for a debugging switch the browser must ignore
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const quint16 debugPort = probe.serverPort();
    probe.close();

    {
        CIEListMng web;
        ASSERT_TRUE(web.Init(kDataBasePath, kDataBasePassword));
        tagIEInfo site;
        site.Name = "本地";
        site.Url = allowed.Origin() + "/a.html";
        site.Level = 1;
        ASSERT_TRUE(DeriveKey(site));
        web.Insert(nullptr, site, CIEListMng::Tree::INSERT_LAST);
        ASSERT_TRUE(web.Save());
    }
    const std::string arguments = allowed.Origin() + "/a.html " + refused.Origin() + "/b.html" +
                                  " --remote-debugging-port=" + std::to_string(debugPort) + " " +
                                  allowed.Origin() + "/c.html";
    ASSERT_TRUE(Db()->Execute(
        ("UPDATE [AppInfo] SET [AppParam]='" + arguments + "' WHERE [AppName]='WarrowExplorer'").c_str()));
    fs::copy_file(WARROW_EXPLORER, m_folder / "WarrowExplorer");
    OpenCore();

    CWarrowDlg shell;
    ASSERT_TRUE(shell.OnInitDialog());
    QListWidget& list = *shell.AppList();
    QListWidgetItem* browser = nullptr;
    for (int i = 0; i < list.count(); ++i) {
        if (list.item(i)->text() == QStringLiteral("儿童浏览器")) {
            browser = list.item(i);
        }
    }
    ASSERT_NE(browser, nullptr);
    list.scrollToItem(browser);
    const QPoint at = list.visualItemRect(browser).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);

    ASSERT_TRUE(WaitLong([&] {
        const auto lines = LogLines();
        return std::find(lines.begin(), lines.end(), "启动了[儿童浏览器].") != lines.end();
    })) << "the shell admits the browser's window";
    ASSERT_TRUE(WaitLong([&] { return shell.Taskbar()->Buttons().size() == 1; })) << [&] {
        std::string lines;
        for (const std::string& line : LogLines()) {
            lines += line + "\n";
        }
        return lines;
    }();
    const unsigned long window = shell.Taskbar()->Buttons().begin()->first;
    ASSERT_NE(CTaskManager::Get()->FindTask(window), nullptr);
    const pid_t pid = CTaskManager::Get()->FindTask(window)->Pid();
    const std::unique_ptr<void, std::function<void(void*)>> ender(reinterpret_cast<void*>(1),
                                                                  [pid](void*) { ::kill(pid, SIGKILL); });

    ASSERT_TRUE(WaitLong([&] {
        return Stored("打开了网页" + allowed.Origin() + "/a.html") &&
               Stored("打开了网页" + allowed.Origin() + "/c.html");
    })) << "each admitted address opens";
    EXPECT_EQ(refused.Requests(), std::vector<std::string>{});
    QTcpSocket debugger;
    debugger.connectToHost(QHostAddress::LocalHost, debugPort);
    EXPECT_FALSE(debugger.waitForConnected(3000)) << "no remote debugging from the command line";

    ::kill(pid, SIGTERM);
    ASSERT_TRUE(WaitLong([&] { return shell.Taskbar()->Buttons().empty(); }));
}

} // namespace
