#pragma once
// The web-tree page's tree: folders at the root, pages under their folder.
// The logo and notice windows float over the main window's edge as separate
// windows; whenever the tree scrolls or its items change, they are repainted
// with it so no stale picture of the tree is left under them.

#include <QTreeWidget>

class CScrollTree : public QTreeWidget {
public:
    explicit CScrollTree(QWidget* parent = nullptr);

    // Repaints the tree, the logo window and the notice window.
    void RepaintWithFloatingWindows();

protected:
    void wheelEvent(QWheelEvent* event) override;
};
