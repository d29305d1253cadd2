// The updater against real HTTP servers on loopback: choosing a server,
// fetching the version list and the package, and every way a package can
// fail to arrive whole.
#include "tests/skin/QtAppEnvironment.h"
#include "tests/update/TestHttpServer.h"
#include "tests/update/UpdateQtSupport.h"
#include "update/UpdateLog.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace {

[[maybe_unused]] auto* const kApp = AddQtAppEnvironment<QApplication>();

QByteArray Package(int size) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7919) >> 3);
    return bytes;
}

QByteArray Sha256(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

// A version list offering one version, 1_1_0_0, with these keys.
tagRoute VersionList(const QByteArray& keys) {
    return tagRoute{200, "[1_0_0_6]\nFile=pkg/warrow_1.0.6.deb\n[1_1_0_0]\n" + keys, -2, 0, -1, true, false};
}

using ProbeTest = UpdateQtTest;
using UpdateTest = UpdateQtTest;

TEST_F(ProbeTest, ChoosesTheFastestServerThatAnswers200) {
    CTestHttpServer slow, fast, missing, silent;
    slow.Route(QStringLiteral("/"), tagRoute{200, "slow", -2, 600, -1, true, false});
    fast.Route(QStringLiteral("/"), tagRoute{200, "fast", -2, 80, -1, true, false});
    silent.Route(QStringLiteral("/"), tagRoute{200, "", -2, 0, -1, true, true});
    quint16 deadPort = 0;
    {
        CTestHttpServer gone;
        deadPort = gone.Port();
    }
    WriteFile("Update.ini", "[Slow]\nAddress=" + slow.Base().toStdString() +
                                "\n[Fast]\nAddress=" + fast.Base().toStdString() +
                                "\n[Missing]\nAddress=" + missing.Base().toStdString() +
                                "\n[Dead]\nAddress=http://127.0.0.1:" + std::to_string(deadPort) +
                                "/\n[Silent]\nAddress=" + silent.Base().toStdString() + "\n");

    CProcess* process = CProcess::Get();
    bool done = false;
    ASSERT_TRUE(process->LoadServers("Update.ini", [&] { done = true; }));
    ASSERT_TRUE(WaitFor([&] { return done; }));

    const auto& servers = process->GetServers();
    ASSERT_EQ(servers.size(), 5u);
    EXPECT_NE(servers[0].nTime, update::kNoAnswer);
    EXPECT_NE(servers[1].nTime, update::kNoAnswer);
    EXPECT_LT(servers[1].nTime, servers[0].nTime);
    EXPECT_EQ(servers[2].nTime, update::kNoAnswer) << "404 is no answer";
    EXPECT_EQ(servers[3].nTime, update::kNoAnswer) << "nobody listens";
    EXPECT_EQ(servers[4].nTime, update::kNoAnswer) << "the server never answers";
    EXPECT_EQ(silent.Requests(), QStringList{QStringLiteral("/")}) << "the silent server was asked";
    ASSERT_TRUE(process->PickFastestServer());
    EXPECT_EQ(process->GetServer(), fast.Base().toStdString());
}

TEST_F(UpdateTest, FetchesTheChosenVersionWholeAndOpensItsRunPath) {
    const QByteArray package = Package(20480); // exactly two blocks of 10240 bytes
    CTestHttpServer server;
    server.Route(QStringLiteral("/Warrow.ini"),
                 VersionList("File=pkg/warrow_1.1.0.deb\nRun=Update/warrow_1.1.0.deb\nSha256=" +
                             Sha256(package).toUpper() + "\n"));
    server.Route(QStringLiteral("/pkg/warrow_1.1.0.deb"), tagRoute{200, package, -2, 0, -1, true, false});
    platform::SingleInstance console("console");
    ASSERT_TRUE(console.Listen(update::kConsoleTitle));

    EXPECT_EQ(RunUpdate(server.Base()), CWarrowUpdateDlg::OUTCOME_UPDATED) << m_strFailure.toStdString();

    EXPECT_EQ(server.Requests(),
              (QStringList{QStringLiteral("/Warrow.ini"), QStringLiteral("/pkg/warrow_1.1.0.deb")}));
    EXPECT_EQ(FilesUnder(m_folder),
              (std::vector<std::string>{"Log/WarrowUpdate.log", "Update/warrow_1.1.0.deb"}))
        << "the version list is gone";
    EXPECT_EQ(ReadFile("Update/warrow_1.1.0.deb"), package.toStdString());
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(m_opened); }));
    EXPECT_EQ(ReadFile(m_opened), (m_folder / "Update/warrow_1.1.0.deb").string() + "\n");
    EXPECT_EQ(LogMessages(), (std::vector<std::string>{"更新[warrow_1.1.0.deb]开始", "更新完成!"}));
    EXPECT_EQ(StatusMessages(console), (std::vector<std::string>{"WM_UPDATESTATUS 1", "WM_UPDATESTATUS 2"}));
}

TEST_F(UpdateTest, RefusesNamesThatLeaveTheirFolderWithoutWritingOrOpeningAnything) {
    const QByteArray package = Package(1000);
    const QByteArray cases[] = {
        "File=../warrow.deb\n",
        "File=pkg/../../warrow.deb\n",
        "File=/warrow.deb\n",
        "File=pkg\\warrow.deb\n",
        "File=pkg/\n",
        "File=warrow.deb\nRun=../warrow.deb\n",
        "File=warrow.deb\nRun=/usr/bin/xterm\n",
        "File=warrow.deb\nRun=Update\\warrow.deb\n",
        "File=warrow.deb\nRun=Update/../../warrow.deb\n",
    };
    for (const QByteArray& keys : cases) {
        SCOPED_TRACE(keys.toStdString());
        CTestHttpServer server;
        server.Route(QStringLiteral("/Warrow.ini"), VersionList(keys));
        for (const char* path : {"/warrow.deb", "/pkg/warrow.deb", "/pkg/", "/pkg%5Cwarrow.deb"})
            server.Route(QString::fromLatin1(path), tagRoute{200, package, -2, 0, -1, true, false});

        EXPECT_EQ(RunUpdate(server.Base()), CWarrowUpdateDlg::OUTCOME_FAILED);
        CProcess::Free();

        EXPECT_EQ(server.Requests(), QStringList{QStringLiteral("/Warrow.ini")})
            << "no package was asked for";
        EXPECT_EQ(FilesUnder(m_root),
                  (std::vector<std::string>{"bin/xdg-open", "install/Log/WarrowUpdate.log"}));
        ASSERT_FALSE(LogMessages().empty());
        EXPECT_EQ(LogMessages().back().rfind("Refused unsafe name [", 0), 0u) << LogMessages().back();
        std::filesystem::remove_all("Log");
    }
    EXPECT_FALSE(std::filesystem::exists(m_opened));
}

TEST_F(UpdateTest, APackageThatDoesNotMatchItsSha256IsDeletedAndNotOpened) {
    const QByteArray package = Package(5000);
    QByteArray tampered = package;
    tampered[4000] = static_cast<char>(tampered[4000] ^ 1);
    CTestHttpServer server;
    server.Route(QStringLiteral("/Warrow.ini"),
                 VersionList("File=warrow.deb\nRun=Update/warrow.deb\nSha256=" + Sha256(package) + "\n"));
    server.Route(QStringLiteral("/warrow.deb"), tagRoute{200, tampered, -2, 0, -1, true, false});
    platform::SingleInstance console("console");
    ASSERT_TRUE(console.Listen(update::kConsoleTitle));

    EXPECT_EQ(RunUpdate(server.Base()), CWarrowUpdateDlg::OUTCOME_FAILED);

    EXPECT_EQ(server.Requests().size(), 2);
    EXPECT_EQ(FilesUnder("Update"), std::vector<std::string>{});
    const auto log = LogMessages();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], "更新[warrow.deb]开始");
    EXPECT_NE(log[1].find("SHA-256"), std::string::npos) << log[1];
    EXPECT_NE(log[1].find(Sha256(tampered).toStdString()), std::string::npos) << log[1];
    EXPECT_EQ(StatusMessages(console), (std::vector<std::string>{"WM_UPDATESTATUS 1", "WM_UPDATESTATUS 0"}));
    EXPECT_FALSE(std::filesystem::exists(m_opened));
}

TEST_F(UpdateTest, AnIncompleteAnswerLeavesNoFileAndOpensNothing) {
    const QByteArray package = Package(20480);
    struct Case {
        const char* what;
        tagRoute route;
    } cases[] = {
        {"a body shorter than announced", tagRoute{200, package, -2, 0, 10000, true, false}},
        {"no Content-Length", tagRoute{200, package, -1, 0, -1, true, false}},
        {"a Content-Length of 0", tagRoute{200, "", -2, 0, -1, true, false}},
        {"status 404", tagRoute{404, package, -2, 0, -1, true, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CTestHttpServer server;
        server.Route(QStringLiteral("/Warrow.ini"), VersionList("File=warrow.deb\nRun=Update/warrow.deb\n"));
        server.Route(QStringLiteral("/warrow.deb"), c.route);

        EXPECT_EQ(RunUpdate(server.Base()), CWarrowUpdateDlg::OUTCOME_FAILED);
        CProcess::Free();

        EXPECT_EQ(server.Requests().size(), 2);
        EXPECT_EQ(FilesUnder("Update"), std::vector<std::string>{});
        ASSERT_FALSE(LogMessages().empty());
        EXPECT_EQ(LogMessages().back().rfind("Download of [warrow.deb] failed: ", 0), 0u)
            << LogMessages().back();
        std::filesystem::remove_all("Log");
    }
    EXPECT_FALSE(std::filesystem::exists(m_opened));
}

TEST_F(UpdateTest, WithoutAVersionToInstallItEndsWithTheLoggedReason) {
    struct Case {
        const char* commandLine;
        tagRoute list;
        std::vector<std::string> log;
    } cases[] = {
        {"[Warrow.exe][1_0_0_5] -b",
         tagRoute{404, "", -2, 0, -1, true, false},
         {"Cannot Download file!", "无法验证版本!请登入官方网站获取最新信息"}},
        {"[Warrow.exe][1_2_0_0] -b",
         tagRoute{200, "[1_1_9_9]\nFile=old.deb\n", -2, 0, -1, true, false},
         {"无法验证版本!请登入官方网站获取最新信息"}},
        {"[Warrow.exe][1_0_0_5] -b",
         tagRoute{200, "[1_1_0_0]\nRun=Update/x.deb\n", -2, 0, -1, true, false},
         {"读取版本配置错误"}},
        {"[Warrow.exe][1_0_0_5]", tagRoute{404, "", -2, 0, -1, true, false}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commandLine);
        CTestHttpServer server;
        server.Route(QStringLiteral("/Warrow.ini"), c.list);

        EXPECT_EQ(RunUpdate(server.Base(), c.commandLine), CWarrowUpdateDlg::OUTCOME_FAILED);
        CProcess::Free();

        EXPECT_EQ(server.Requests(), QStringList{QStringLiteral("/Warrow.ini")});
        EXPECT_EQ(LogMessages(), c.log) << "the log is written in background mode only";
        std::filesystem::remove_all("Log");
    }
}

TEST_F(UpdateTest, AServerThatCannotBeReachedEndsTheUpdate) {
    quint16 deadPort = 0;
    {
        CTestHttpServer gone;
        deadPort = gone.Port();
    }
    EXPECT_EQ(RunUpdate(QStringLiteral("http://127.0.0.1:%1/").arg(deadPort)),
              CWarrowUpdateDlg::OUTCOME_FAILED);
    EXPECT_EQ(LogMessages().front(), "Cannot Download file!");
}

TEST_F(UpdateTest, TheWindowShowsProgressAndCancelKeepsNoFile) {
    const QByteArray package = Package(20480);
    CTestHttpServer server;
    server.Route(QStringLiteral("/Warrow.ini"), VersionList("File=warrow.deb\nRun=Update/warrow.deb\n"));
    // Half of the package, then nothing more on an open connection.
    server.Route(QStringLiteral("/warrow.deb"), tagRoute{200, package, -2, 0, 10240, false, false});
    platform::SingleInstance console("console");
    ASSERT_TRUE(console.Listen(update::kConsoleTitle));

    bool sawHalf = false;
    const auto outcome = RunUpdate(server.Base(), "[Warrow.exe][1_0_0_5]", [&](CWarrowUpdateDlg& dlg) {
        EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Tavi儿童保护系统自动更新"));
        EXPECT_EQ(dlg.CancelButton()->text(), QStringLiteral("Cancel"));
        sawHalf =
            WaitFor([&] { return dlg.StatusText()->text() == QStringLiteral("更新中... 已完成 50％"); });
        EXPECT_EQ(dlg.ProgressBar()->maximum(), 20480);
        EXPECT_EQ(dlg.ProgressBar()->value(), 10240);
        QTest::mouseClick(dlg.CancelButton(), Qt::LeftButton);
    });
    EXPECT_TRUE(sawHalf) << "the status text showed half of the package";
    EXPECT_EQ(outcome, CWarrowUpdateDlg::OUTCOME_CANCELLED);
    EXPECT_EQ(FilesUnder("Update"), std::vector<std::string>{}) << "not the final name, nor a temporary one";
    EXPECT_EQ(StatusMessages(console), std::vector<std::string>{"WM_UPDATESTATUS 1"});
    EXPECT_FALSE(std::filesystem::exists(m_opened));
}

TEST_F(UpdateTest, TheWindowShowsItsStartingText) {
    CProcess* process = CProcess::Get();
    CWarrowUpdateDlg dlg(*process);
    EXPECT_EQ(dlg.StatusText()->text(), QStringLiteral("开始更新"));
    EXPECT_EQ(CWarrowUpdateDlg::ProgressShift(20480), 0);
    EXPECT_EQ(CWarrowUpdateDlg::ProgressShift(qint64{5} << 30), 2) << "a 5 GiB package still fits the bar";
}

} // namespace
