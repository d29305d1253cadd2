#include "skin/CGlazeMenu.h"

#include "skin/CGlazeBitmap.h"

#include <QIcon>

namespace {
QIcon IconOf(const char* bitmap) {
    CGlazeBitmap image;
    if (!image.LoadGlazeImage(bitmap))
        return {};
    return QIcon(image.GetPixmap());
}
} // namespace

CGlazeMenu::CGlazeMenu(QWidget* parent) : QMenu(parent) {}

CGlazeMenu::~CGlazeMenu() = default;

QAction* CGlazeMenu::AppendCustomMenu(const char* bitmap, const QString& text, unsigned id) {
    QAction* action = addAction(IconOf(bitmap), text);
    action->setData(id);
    return action;
}

bool CGlazeMenu::SetCustomItemBmp(int index, const char* bitmap) {
    const QList<QAction*> items = actions();
    if (index < 0 || index >= items.size())
        return false;
    const QIcon icon = IconOf(bitmap);
    if (icon.isNull())
        return false;
    items[index]->setIcon(icon);
    return true;
}

unsigned CGlazeMenu::TrackPopupMenu(const QPoint& where) {
    return CommandOf(exec(where));
}

unsigned CGlazeMenu::CommandOf(const QAction* action) {
    return action != nullptr ? action->data().toUInt() : 0;
}
