// console_render <output folder>: pictures of the parent console's real
// windows, drawn on the offscreen platform, for the documentation:
// console-login.png (the first-run login) and console.png (the main window
// with its logo and a notice).

#include "bench/console/ConsoleFolder.h"

#include "console/CDlgLogin.h"
#include "console/CDlgLogo.h"
#include "console/CDlgMessage.h"
#include "console/CWarrowTrayDlg.h"
#include "core/CDBManager.h"
#include "core/CWarrowCoreInterface.h"

#include <QApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include <cstdio>
#include <cstdlib>

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
        main.DestroyWindow();
    }
    CWarrowCoreInterface::Free();
    CDBManager::Destroy();
    std::filesystem::current_path(out);
    std::filesystem::remove_all(folder);
    return ok ? 0 : 1;
}
