#include "tests/shell/ShellDesktop.h"

#include "ltl/CIni.h"
#include "shell/CTaskManager.h"

#include <QThread>

namespace fs = std::filesystem;

namespace {
[[maybe_unused]] ::testing::Environment* const s_environment =
    ::testing::AddGlobalTestEnvironment(new ShellX11Environment);
int s_argc = 1;
char s_name[] = "shell_window_tests";
char* s_argv[] = {s_name, nullptr};
} // namespace

void ShellX11Environment::SetUp() {
    m_server = std::make_unique<XvfbServer>();
    if (m_server->Display().empty()) {
        return;
    }
    ::setenv("DISPLAY", m_server->Display().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    m_app = std::make_unique<QApplication>(s_argc, s_argv);
    s_ready = true;
}

void ShellX11Environment::TearDown() {
    m_app.reset();
    m_server.reset();
}

bool Until(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > 10000) {
            return false;
        }
        QTest::qWait(10);
    }
    return true;
}

void CopyTestWindow(const fs::path& path) {
    fs::create_directories(path.parent_path());
    fs::copy_file(WARROW_TEST_WINDOW, path, fs::copy_options::overwrite_existing);
}

void ShellDesktopTest::SetUp() {
    if (!ShellX11Environment::Ready()) {
        GTEST_SKIP() << "no Xvfb";
    }
    InstallationFolder::SetUp();
    fs::create_directory_symlink(fs::path(std::getenv("WARROW_BINARY_DIR")) / "Resource",
                                 m_folder / "Resource");
    m_outside = fs::temp_directory_path() / ("shell-programs-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(m_outside);
    fs::create_directories(m_outside);
}

void ShellDesktopTest::TearDown() {
    if (!ShellX11Environment::Ready()) {
        return;
    }
    CTaskManager::Free();
    fs::remove_all(m_outside);
    InstallationFolder::TearDown();
}

void ShellDesktopTest::Allow(const std::string& appName, const std::string& appPath, const std::string& name,
                             const std::string& icon, const std::string& param) {
    tagAppInfo app;
    app.AppName = appName;
    app.AppPath = appPath;
    app.Name = name;
    app.Icon = icon;
    app.AppParam = param;
    CWriteListMng list;
    list.Init(kDataBasePath, kDataBasePassword);
    list.Add(appName.c_str(), app, true);
    CDBManager::Destroy();
}

void ShellDesktopTest::OpenCore() {
    ASSERT_TRUE(CWarrowCoreInterface::Get()->Init(kDataBasePath, kDataBasePassword, nullptr));
}

std::vector<std::string> ShellDesktopTest::LogLines() {
    std::vector<std::string> lines;
    CWarrowCoreInterface::Get()->GetLog()->ForEach([&](tagLogInfo& line) { lines.push_back(line.Content); });
    return lines;
}

std::string ShellDesktopTest::TimeKey(const char* key) {
    ltl::CIni ini(false, -1, "", "Config.ini");
    return ini.GetString("Time", key);
}
