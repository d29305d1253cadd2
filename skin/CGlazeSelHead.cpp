#include "skin/CGlazeSelHead.h"

#include "skin/CGlazeBitmap.h"

#include <QFileInfo>
#include <QIcon>

CGlazeSelHead::CGlazeSelHead(QWidget* parent) : QListWidget(parent) {
    setViewMode(QListView::IconMode);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setMovement(QListView::Static);
}

CGlazeSelHead::~CGlazeSelHead() = default;

bool CGlazeSelHead::AddHead(const char* path) {
    CGlazeBitmap picture;
    if (!picture.LoadGlazeImage(path))
        return false;
    auto* item = new QListWidgetItem(QIcon(picture.GetPixmap()), QString(), this);
    item->setData(Qt::UserRole, QFileInfo(QString::fromUtf8(path)).fileName());
    return true;
}

std::string CGlazeSelHead::GetSelectedHead() const {
    const QList<QListWidgetItem*> chosen = selectedItems();
    if (chosen.isEmpty())
        return {};
    return chosen.front()->data(Qt::UserRole).toString().toStdString();
}
