#pragma once
// The pictures glazegallery draws. Each returns an image of one screen built
// from the skinned controls, with the suite's bitmaps from Resource/ in the
// current directory.

#include <QImage>
#include <QString>

class QWidget;

namespace gallery {

// The widget as it appears on screen: pixels outside its window shape are
// transparent.
QImage Shot(QWidget& widget);

QImage ConsoleScreen();
QImage PasswordScreen();
QImage ChildScreen();
QImage RestScreen();
QImage BrowserScreen();
QImage ControlSheet();
// The basic-settings dialog, the setup guide and the security page.
QImage SettingsScreen();
// Every bitmap below Resource/<folder>, labelled with its name.
QImage SkinSheet(const QString& folder);
// Several screens side by side on one canvas, for the README.
QImage Overview();

} // namespace gallery
