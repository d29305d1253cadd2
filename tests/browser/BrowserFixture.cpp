#include "tests/browser/BrowserFixture.h"

#include "browser/BrowserProfile.h"
#include "core/CDBRecordset.h"
#include "core/WebKey.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QSignalSpy>
#include <QWebEngineProfile>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace {
std::unique_ptr<QApplication> g_app;
QString g_home;
} // namespace

void BrowserEnvironment::SetUp() {
    // The profile's folders go to a private place, not the tester's own.
    g_home = QDir::tempPath() + QStringLiteral("/browser-test-home-") + QString::number(::getpid());
    QDir(g_home).removeRecursively();
    qputenv("XDG_DATA_HOME", (g_home + QStringLiteral("/data")).toUtf8());
    qputenv("XDG_CACHE_HOME", (g_home + QStringLiteral("/cache")).toUtf8());
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    static int argc = 1;
    static char name[] = "browser_tests";
    static char* argv[] = {name, nullptr};
    g_app = std::make_unique<QApplication>(argc, argv);
    s_profile = CreateBrowserProfile(nullptr);
}

void BrowserEnvironment::TearDown() {
    delete s_profile;
    s_profile = nullptr;
    g_app.reset();
    QDir(g_home).removeRecursively();
}

bool WaitFor(const std::function<bool()>& done, int seconds) {
    QDeadlineTimer deadline(std::chrono::seconds{seconds});
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

void BrowserTest::SetUp() {
    InstallationFolder::SetUp();
    std::filesystem::create_directory_symlink(
        std::filesystem::path(std::getenv("WARROW_BINARY_DIR")) / "Resource", m_folder / "Resource");
    ASSERT_TRUE(CWarrowCoreInterface::Get()->Init(kDataBasePath, kDataBasePassword, nullptr));
    m_allowed = std::make_unique<LocalWebServer>("127.0.0.1");
    m_refused = std::make_unique<LocalWebServer>("127.0.0.2");
    AddFolder("学习");
    AllowSite("本地", Allowed("/index.html"), 1, "学习");
}

void BrowserTest::TearDown() {
    m_browser.reset();
    m_allowed.reset();
    m_refused.reset();
    InstallationFolder::TearDown();
}

void BrowserTest::AllowSite(const std::string& name, const std::string& url, int level, const char* folder) {
    tagIEInfo site;
    site.Name = name;
    site.Url = url;
    site.Level = level;
    ASSERT_TRUE(DeriveKey(site)) << url;
    m_web.Insert(folder, site, CIEListMng::Tree::INSERT_LAST);
    m_web.GetTree().Sort();
}

void BrowserTest::AddFolder(const std::string& name) {
    tagIEInfo folder;
    folder.Name = name;
    folder.IsDir = true;
    m_web.Insert(nullptr, folder, CIEListMng::Tree::INSERT_LAST);
}

CWarrowExplorerDlg& BrowserTest::Browser() {
    if (!m_browser) {
        m_web.GetTree().Sort();
        m_browser = std::make_unique<CWarrowExplorerDlg>(&m_web, BrowserEnvironment::Profile());
        m_browser->OnInitDialog();
    }
    return *m_browser;
}

bool BrowserTest::Load(CDlgExplorer& page, const std::string& url) {
    const int refusals = page.Page()->RefusedCount();
    QSignalSpy finished(page.Page(), &QWebEnginePage::loadFinished);
    page.Navigate(url);
    if (!WaitFor([&] { return !finished.isEmpty() || page.Page()->RefusedCount() > refusals; })) {
        ADD_FAILURE() << "neither loaded nor refused: " << url;
        return false;
    }
    return page.Page()->RefusedCount() == refusals && finished.first().first().toBool();
}

bool BrowserTest::RunAndWaitForRefusals(CDlgExplorer& page, const std::string& script, int refusals) {
    const int target = page.Page()->RefusedCount() + refusals;
    page.Page()->runJavaScript(QString::fromStdString(script));
    return WaitFor([&] { return page.Page()->RefusedCount() >= target; });
}

std::vector<std::string> BrowserTest::LogLines() {
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

int BrowserTest::Logged(const std::string& line) {
    const auto lines = LogLines();
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}
