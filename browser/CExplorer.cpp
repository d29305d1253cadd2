#include "browser/CExplorer.h"

#include <QContextMenuEvent>
#include <QMenu>

QMenu* CExplorer::CreateContextMenu() {
    // The engine's own menu would offer source views, saving and opening
    // links elsewhere; this one is built from the few safe actions.
    auto* menu = new QMenu(this);
    for (QWebEnginePage::WebAction action :
         {QWebEnginePage::Back, QWebEnginePage::Forward, QWebEnginePage::Reload, QWebEnginePage::Copy}) {
        menu->addAction(page()->action(action));
    }
    return menu;
}

void CExplorer::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = CreateContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}
