// Start of the child browser to its first allowed page, in one process as the
// program does it (Qt, the engine, the window, one page from a loopback
// server), and the resident memory of the browser with its engine processes
// with 1 and with 10 tabs open.
//
// usage: browser_start_bench   (run it on the offscreen platform or an X display)

#include "browser/BrowserProfile.h"
#include "browser/CDlgExplorer.h"
#include "browser/CExplorerPage.h"
#include "browser/CWarrowExplorerApp.h"
#include "browser/CWarrowExplorerDlg.h"
#include "core/CIEListMng.h"
#include "core/WebKey.h"
#include "tests/browser/LocalWebServer.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QWebEngineProfile>
#include <QWindow>

#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

bool WaitFor(const std::function<bool()>& done) {
    QDeadlineTimer deadline(std::chrono::minutes{3});
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return done();
}

// Resident kilobytes of this process and every process descended from it.
long TreeResidentKb() {
    std::map<int, int> parent;
    std::map<int, long> rss;
    QDir proc(QStringLiteral("/proc"));
    for (const QString& entry : proc.entryList(QDir::Dirs)) {
        bool numeric = false;
        const int pid = entry.toInt(&numeric);
        if (!numeric) {
            continue;
        }
        std::ifstream status("/proc/" + entry.toStdString() + "/status");
        std::string line;
        while (std::getline(status, line)) {
            std::istringstream words(line);
            std::string key;
            long value = 0;
            words >> key >> value;
            if (key == "PPid:") {
                parent[pid] = static_cast<int>(value);
            } else if (key == "VmRSS:") {
                rss[pid] = value;
            }
        }
    }
    long total = 0;
    for (const auto& [pid, kb] : rss) {
        for (int p = pid; p > 1; p = parent.count(p) ? parent[p] : 0) {
            if (p == ::getpid()) {
                total += kb;
                break;
            }
        }
    }
    return total;
}

int Loaded(const CWarrowExplorerDlg& browser) {
    int loaded = 0;
    for (const auto& page : browser.Pages()) {
        loaded += page->Page()->property("loaded").toBool() ? 1 : 0;
    }
    return loaded;
}

} // namespace

int main(int argc, char** argv) {
    QElapsedTimer clock;
    clock.start();
    PrepareWebEngineEnvironment();
    const QString home = QDir::tempPath() + QStringLiteral("/browser-bench-") + QString::number(::getpid());
    qputenv("XDG_DATA_HOME", (home + QStringLiteral("/data")).toUtf8());
    qputenv("XDG_CACHE_HOME", (home + QStringLiteral("/cache")).toUtf8());
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);

    LocalWebServer server("127.0.0.1");
    server.Page("/page.html", "<title>Bench</title><h1>Hello</h1><p>" + std::string(2000, 'x') + "</p>");
    CIEListMng web;
    tagIEInfo site;
    site.Name = "bench";
    site.Url = server.Origin() + "/page.html";
    site.Level = 1;
    DeriveKey(site);
    web.Insert(nullptr, site, CIEListMng::Tree::INSERT_LAST);

    QWebEngineProfile* profile = CreateBrowserProfile(&app);
    long shownMs = -1;
    long loadedMs = -1;
    {
        CWarrowExplorerDlg browser(&web, profile);
        browser.OnInitDialog();
        WaitFor([&] { return browser.windowHandle() != nullptr && browser.windowHandle()->isExposed(); });
        shownMs = static_cast<long>(clock.elapsed());
        auto markLoaded = [&browser] {
            for (const auto& page : browser.Pages()) {
                QObject::connect(
                    page->Page(), &QWebEnginePage::loadFinished, page->Page(),
                    [p = page->Page()](bool ok) { p->setProperty("loaded", ok); }, Qt::UniqueConnection);
            }
        };
        markLoaded();
        browser.SelectedPage()->Navigate(site.Url);
        WaitFor([&] { return Loaded(browser) == 1; });
        loadedMs = static_cast<long>(clock.elapsed());
        const long oneTab = TreeResidentKb();
        for (int i = 1; i < 10; ++i) {
            browser.OpenPage(site.Url);
            markLoaded();
        }
        WaitFor([&] { return Loaded(browser) == 10; });
        const long tenTabs = TreeResidentKb();
        std::printf("window shown        %6ld ms after start\n", shownMs);
        std::printf("first page loaded   %6ld ms after start\n", loadedMs);
        std::printf("resident, 1 tab     %6ld MiB (browser and engine processes)\n", oneTab / 1024);
        std::printf("resident, 10 tabs   %6ld MiB (%d pages loaded)\n", tenTabs / 1024, Loaded(browser));
    }
    delete profile;
    QDir(home).removeRecursively();
    return loadedMs >= 0 ? 0 : 1;
}
