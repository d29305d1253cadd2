// glazegallery: draws the suite's skinned controls and sample screens to PNG
// files so the look can be reviewed without running the programs.

#include "tools/glazegallery/Gallery.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <cstdio>
#include <functional>
#include <utility>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: glazegallery <folder with Resource/> <output folder>\n");
        return 2;
    }
    const QString output = QDir(args[2]).absolutePath();
    if (!QDir().mkpath(output) || !QDir::setCurrent(args[1])) {
        std::fprintf(stderr, "glazegallery: cannot use %s or %s\n", qPrintable(args[1]), qPrintable(output));
        return 2;
    }
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(12);
    QApplication::setFont(font);

    const std::pair<const char*, std::function<QImage()>> pictures[] = {
        {"glaze-gallery.png", gallery::Overview},
        {"glaze-console.png", gallery::ConsoleScreen},
        {"glaze-password.png", gallery::PasswordScreen},
        {"glaze-child.png", gallery::ChildScreen},
        {"glaze-rest.png", gallery::RestScreen},
        {"glaze-browser.png", gallery::BrowserScreen},
        {"glaze-controls.png", gallery::ControlSheet},
        {"glaze-settings.png", gallery::SettingsScreen},
        {"skin-child.png", [] { return gallery::SkinSheet(QStringLiteral("儿童界面")); }},
        {"skin-parent.png", [] { return gallery::SkinSheet(QStringLiteral("家长界面")); }},
    };
    int failures = 0;
    for (const auto& [name, draw] : pictures) {
        const QString path = output + QLatin1Char('/') + QString::fromUtf8(name);
        if (!draw().save(path, "PNG")) {
            std::fprintf(stderr, "glazegallery: cannot write %s\n", qPrintable(path));
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
