#pragma once
// A tree painted from the owner's pictures: a background, expand and collapse
// marks, item icons and per-item text colours. Items can be made to blink
// ("shock") until stopped, to draw the eye to them.

#include "skin/CGlazeBitmap.h"

#include <QPersistentModelIndex>
#include <QRect>
#include <QTimer>
#include <QTreeWidget>
#include <vector>

class QMenu;

class CMyTree : public QTreeWidget {
public:
    explicit CMyTree(QWidget* parent = nullptr);
    ~CMyTree() override;

    // Plain look (no header, no frame) and the place Move starts from.
    void Init();
    // Adds a picture to the tree's list; its index, or -1 when unreadable.
    int AddImage(const char* path);
    // Empties slot `index`; later indices keep their pictures.
    void DelImage(int index);
    void SetBackImage(int index);
    void SetPuckerImage(int expanded, int collapsed);
    void SetItemIcon(QTreeWidgetItem* item, int index);
    void SetItemTextColor(QTreeWidgetItem* item, const QColor& colour);
    void SetBeginShock(QTreeWidgetItem* item);
    void SetStopShock(QTreeWidgetItem* item);
    bool IsShocking(QTreeWidgetItem* item) const;
    void SetMenu(QMenu* menu) { m_pMenu = menu; }
    QTreeWidgetItem* InsertItem(const QString& text, QTreeWidgetItem* parent = nullptr, int image = -1);
    void Move(int dx, int dy) { setGeometry(m_rcInit.translated(dx, dy)); }

protected:
    void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    const CGlazeBitmap* Image(int index) const;
    void Blink();

    std::vector<CGlazeBitmap> m_images;
    int m_nExpanded = -1;
    int m_nCollapsed = -1;
    // Persistent indexes, so an item deleted while it blinks simply drops out.
    std::vector<QPersistentModelIndex> m_shocking;
    bool m_bShockShown = true;
    QTimer m_shockTimer{this};
    QMenu* m_pMenu = nullptr;
    QRect m_rcInit;
};
