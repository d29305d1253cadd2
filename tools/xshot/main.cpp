// xshot <file.png> [delay ms]: saves the whole screen of $DISPLAY as a PNG.

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: xshot <file.png> [delay ms]\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("xcb"));
    QGuiApplication app(argc, argv);
    const int delay = argc > 2 ? std::atoi(argv[2]) : 0;
    const QString file = QString::fromLocal8Bit(argv[1]);
    int status = 1;
    QTimer::singleShot(delay, &app, [&] {
        QScreen* screen = QGuiApplication::primaryScreen();
        if (screen != nullptr && screen->grabWindow(0).save(file, "PNG")) {
            status = 0;
        } else {
            std::fprintf(stderr, "xshot: could not save %s\n", argv[1]);
        }
        QCoreApplication::exit(status);
    });
    QGuiApplication::exec();
    return status;
}
