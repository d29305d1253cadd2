// console_render <output folder>: pictures of the parent console's real
// windows, drawn on the offscreen platform, for the documentation:
// console-login.png (the first-run login), console.png (the main window
// with its logo and a notice), console-pages.png (the applications page,
// the web-tree page and the setup guide's first step, over made-up programs
// and sites), console-schedule.png (the security page and its week
// schedule) and console-usage.png (the usage window's chart of a made-up
// fortnight).

#include "bench/console/ConsoleFolder.h"

#include "console/CDlgLogin.h"
#include "console/CDlgLogo.h"
#include "console/CDlgLogout.h"
#include "console/CDlgMessage.h"
#include "console/CDlgPageExplorer.h"
#include "console/CDlgSchedule.h"
#include "console/CDlgSetupGuide.h"
#include "console/CDlgSetupGuideStep1.h"
#include "console/CScrollTree.h"
#include "console/CWarrowTrayDlg.h"
#include "core/CDBManager.h"
#include "core/COleDateTime.h"
#include "core/CWarrowCoreInterface.h"
#include "core/TimeTables.h"
#include "core/WebKey.h"

#include <QApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QStandardItemModel>

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace {

QImage Shot(QWidget& widget) {
    const QPixmap pixels = widget.grab();
    QImage shot(pixels.size(), QImage::Format_ARGB32_Premultiplied);
    shot.fill(Qt::transparent);
    QPainter p(&shot);
    if (!widget.mask().isEmpty()) {
        p.setClipRegion(widget.mask());
    }
    p.drawPixmap(0, 0, pixels);
    return shot;
}

QImage Canvas(int width, int height) {
    QImage canvas(width, height, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&canvas);
    QLinearGradient fill(0, 0, width, height);
    fill.setColorAt(0, QColor(0x5B, 0x7C, 0x9D));
    fill.setColorAt(1, QColor(0x8F, 0xAC, 0xC6));
    p.fillRect(canvas.rect(), fill);
    return canvas;
}

bool Save(const QImage& image, const std::string& path) {
    if (!image.save(QString::fromStdString(path))) {
        std::fprintf(stderr, "console_render: cannot write %s\n", path.c_str());
        return false;
    }
    std::printf("%s\n", path.c_str());
    return true;
}

// A few programs with their desktop entries in a private XDG data folder,
// some of them on the allow-list, and a small web tree.
void MakeFixture(const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    const fs::path apps = folder / "xdg/applications";
    fs::create_directories(apps);
    fs::create_directories(folder / "programs");
    const std::pair<const char*, const char*> programs[] = {
        {"tuxmath", "数学小精灵"}, {"gcompris", "GCompris 教育游戏"}, {"tuxpaint", "儿童画板"},
        {"kanagram", "猜字谜"},    {"stellarium", "星空漫游"},        {"frozen-bubble", "泡泡龙"}};
    for (const auto& [file, name] : programs) {
        const fs::path program = folder / "programs" / file;
        std::ofstream(program) << "#!/bin/sh\n";
        fs::permissions(program, fs::perms::owner_all);
        std::ofstream(apps / (std::string(file) + ".desktop"))
            << "[Desktop Entry]\nType=Application\nName=" << name << "\nExec=" << program.string() << " %U\n";
    }
    std::ofstream(apps / "updater.desktop")
        << "[Desktop Entry]\nType=Application\nName=Software Update\nExec="
        << (folder / "programs/tuxmath").string() << "\n";
    ::setenv("XDG_DATA_HOME", (folder / "xdg").c_str(), 1);
    ::setenv("XDG_DATA_DIRS", (folder / "xdg").c_str(), 1);

    CWriteListMng* list = CWarrowCoreInterface::Get()->GetWLMng();
    const std::string path = (folder / "programs").string() + "/";
    for (const auto& [file, name] : {programs[0], programs[2], programs[4]}) {
        list->Add(file, tagAppInfo{file, path, "", name, ""}, true);
    }
    CIEListMng* tree = CWarrowCoreInterface::Get()->GetIEMng();
    tagIEInfo folderNode;
    folderNode.Name = "学习网站";
    folderNode.IsDir = true;
    tree->Insert(nullptr, folderNode, CIEListMng::Tree::INSERT_LAST);
    for (const auto& [name, url] : {std::pair{"儿童百科", "http://kids.example.org/"},
                                    std::pair{"趣味数学", "http://maths.example.com/"}}) {
        tagIEInfo page;
        page.Name = name;
        page.Url = url;
        page.Level = 1;
        DeriveKey(page);
        tree->Insert("学习网站", page, CIEListMng::Tree::INSERT_LAST);
    }
    tree->Save();

    // School days from seven to half past eight in the evening, longer at
    // the weekend; a limit on the paint program, the maths one for learning.
    CDataBase* db = CDBManager::Instance().GetDataBase(kDataBasePath, kDataBasePassword);
    for (int day = 0; day < 7; ++day) {
        const bool weekend = day >= 5;
        core::SaveScheduleDay(
            *db, day,
            std::vector<core::tagTimeSpan>{{weekend ? 8 * 60 : 7 * 60, weekend ? 21 * 60 : 20 * 60 + 30}});
    }
    core::SaveAppLimit(*db, "tuxpaint", core::tagAppLimit{45, false});
    core::SaveAppLimit(*db, "tuxmath", core::tagAppLimit{-1, true});
}

// A fortnight of starts and closes in the activity log, ending at `now`.
void MakeUsageLog(double now) {
    CDataBase* db = CDBManager::Instance().GetDataBase(kDataBasePath, kDataBasePassword);
    const char* programs[] = {"泡泡龙", "儿童画板", "数学小精灵", "星空漫游", "猜字谜"};
    db->Execute("BEGIN");
    for (int back = 13; back >= 0; --back) {
        const double midnight = static_cast<double>(static_cast<long long>(now)) - back;
        double at = midnight + 16.0 / 24; // after school
        for (int p = 0; p < 5; ++p) {
            const int minutes = (back * 7 + p * 13) % 35 + 5 * (5 - p) + (back % 7 == 3 ? 0 : 10);
            if ((back + p) % 6 == 5) {
                continue; // not every program every day
            }
            for (const auto& [when, verb] :
                 {std::pair{at, "启动了"}, std::pair{at + minutes / 1440.0, "关闭了"}}) {
                char line[256];
                std::snprintf(line, sizeof line,
                              "INSERT INTO [AppLog]([DateTime],[Content],[Type]) VALUES (%.10f,'%s[%s].',0)",
                              when, verb, programs[p]);
                db->Execute(line);
            }
            at += (minutes + 5) / 1440.0;
        }
    }
    db->Execute("COMMIT");
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: console_render <output folder>\n");
        return 2;
    }
    const std::string out = std::filesystem::absolute(argv[1]).string();
    std::filesystem::create_directories(out);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const auto folder = MakeConsoleFolder("console-render", true);
    CWarrowCoreInterface::Get()->Init(kDataBasePath, kDataBasePassword, nullptr);
    MakeFixture(folder);
    bool ok = true;
    {
        CDlgLogin login;
        login.OnInitDialog();
        login.show();
        QImage canvas = Canvas(login.width() + 80, login.height() + 80);
        QPainter(&canvas).drawImage(40, 40, Shot(login));
        ok = Save(canvas, out + "/console-login.png") && ok;
    }
    {
        CWarrowTrayDlg::SetPollIntervalMs(3600000);
        CWarrowTrayDlg main;
        main.OnInitDialog();
        main.move(240, 40);
        main.show();
        ShowNotice("您的版本已经是最新，感谢对Tavi儿童保护系统的一贯支持");
        QImage canvas = Canvas(main.width() + 280, main.height() + 80);
        {
            QPainter p(&canvas);
            // As on the screen: the notice behind the logo, both left of the window.
            p.drawImage(240 - main.Notice()->width(), 40 + 285, Shot(*main.Notice()));
            p.drawImage(240 - CDlgLogo::kWidth, 40 + 392, Shot(*main.Logo()));
            p.drawImage(240, 40, Shot(main));
        }
        ok = Save(canvas, out + "/console.png") && ok;

        // The two list pages stacked on the left, the guide's first step beside them.
        main.SelectPage(1);
        QCoreApplication::processEvents(); // the list lays its items out
        const QImage applications = Shot(*main.Page(1));
        main.SelectPage(3);
        // A page chosen, so its name, address and level description show.
        if (QTreeWidgetItem* page = main.ExplorerPage()->ItemOf(QStringLiteral("趣味数学"))) {
            page->setSelected(true);
            main.ExplorerPage()->Tree()->setCurrentItem(page);
        }
        QCoreApplication::processEvents();
        const QImage webTree = Shot(*main.Page(3));
        CDlgSetupGuide guide(&main);
        guide.OnInitDialog();
        QStandardItemModel& offered = *guide.Step1()->Model();
        for (int row = 0; row < offered.rowCount(); row += 2) {
            offered.item(row)->setCheckState(Qt::Checked);
        }
        guide.show();
        QCoreApplication::processEvents();
        const QImage step1 = Shot(guide);
        QImage pages =
            Canvas(40 + applications.width() + 40 + step1.width() + 40,
                   std::max(40 + applications.height() + 40 + webTree.height(), step1.height()) + 80);
        {
            QPainter p(&pages);
            p.drawImage(40, 40, applications);
            p.drawImage(40, 40 + applications.height() + 40, webTree);
            p.drawImage(40 + applications.width() + 40, 40, step1);
        }
        ok = Save(pages, out + "/console-pages.png") && ok;
        guide.hide();

        // The security page with its schedule row, the week dialog beside it.
        main.SelectPage(4);
        QCoreApplication::processEvents();
        const QImage security = Shot(*main.Page(4));
        CDlgSchedule schedule(CDBManager::Instance().GetDataBase(kDataBasePath, kDataBasePassword), &main);
        schedule.OnInitDialog();
        schedule.show();
        QCoreApplication::processEvents();
        const QImage week = Shot(schedule);
        QImage times = Canvas(40 + security.width() + 40 + week.width() + 40,
                              std::max(security.height(), week.height()) + 80);
        {
            QPainter p(&times);
            p.drawImage(40, 40, security);
            p.drawImage(40 + security.width() + 40, 40, week);
        }
        ok = Save(times, out + "/console-schedule.png") && ok;
        schedule.hide();

        // The usage window on its chart.
        COleDateTime now;
        now.SetDateTime(2026, 12, 7, 19, 30, 0);
        MakeUsageLog(now.m_dt);
        CDlgLogout::SetChartMoment(now.m_dt);
        CDlgLogout usage(&main);
        usage.show();
        usage.ShowChart();
        QCoreApplication::processEvents();
        const QImage chart = Shot(usage);
        QImage usageCanvas = Canvas(chart.width() + 80, chart.height() + 80);
        QPainter(&usageCanvas).drawImage(40, 40, chart);
        ok = Save(usageCanvas, out + "/console-usage.png") && ok;
        usage.hide();
        main.DestroyWindow();
    }
    CWarrowCoreInterface::Free();
    CDBManager::Destroy();
    std::filesystem::current_path(out);
    std::filesystem::remove_all(folder);
    return ok ? 0 : 1;
}
