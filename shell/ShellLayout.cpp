#include "shell/ShellLayout.h"

#include <QGuiApplication>
#include <QScreen>

QRect ScreenRect() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->geometry() : QRect(0, 0, 1024, 768);
}

QRect WorkArea() {
    return ScreenRect().adjusted(0, 0, 0, -kTaskbarHeight);
}
