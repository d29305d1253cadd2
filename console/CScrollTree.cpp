#include "console/CScrollTree.h"

#include "console/CDlgLogo.h"
#include "console/CDlgMessage.h"

#include <QScrollBar>

CScrollTree::CScrollTree(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    const auto repaint = [this] { RepaintWithFloatingWindows(); };
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, repaint);
    connect(this, &QTreeWidget::itemExpanded, this, repaint);
    connect(this, &QTreeWidget::itemCollapsed, this, repaint);
    connect(this, &QTreeWidget::itemChanged, this, repaint);
    connect(model(), &QAbstractItemModel::rowsRemoved, this, repaint);
}

void CScrollTree::RepaintWithFloatingWindows() {
    viewport()->update();
    // The logo is a window owned by the main window this tree sits in.
    for (CDlgLogo* logo : window()->findChildren<CDlgLogo*>(Qt::FindDirectChildrenOnly)) {
        logo->update();
    }
    if (CDlgMessage* notice = CDlgMessage::Instance()) {
        notice->update();
    }
}

void CScrollTree::wheelEvent(QWheelEvent* event) {
    RepaintWithFloatingWindows();
    QTreeWidget::wheelEvent(event);
}
