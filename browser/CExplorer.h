#pragma once
// The view of one page: a web engine view whose context menu offers only
// back, forward, reload and copy.

#include <QWebEngineView>

class QMenu;

class CExplorer : public QWebEngineView {
public:
    using QWebEngineView::QWebEngineView;

    // The context menu: back, forward, reload and copy of this page, owned
    // by the caller.
    QMenu* CreateContextMenu();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
};
