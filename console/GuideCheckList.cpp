#include "console/GuideCheckList.h"

#include "skin/CGlazeDialog.h"
#include "skin/CGlazeStatic.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTreeView>

namespace console {

QTreeView* MakeCheckList(QWidget* parent, QStandardItemModel* model, const QRect& where, int iconSize) {
    auto* list = new QTreeView(parent);
    list->setModel(model);
    list->setHeaderHidden(true);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setIconSize(QSize(iconSize, iconSize));
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setGeometry(where);
    return list;
}

std::vector<int> CheckedRows(const QStandardItemModel& model) {
    std::vector<int> rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        if (const QStandardItem* item = model.item(row);
            item != nullptr && item->checkState() == Qt::Checked) {
            rows.push_back(row);
        }
    }
    return rows;
}

void GuideLabelLook(CGlazeStatic& label, const QRect& where, const char* text) {
    QFont font = label.font();
    font.setPixelSize(12);
    label.setFont(font);
    label.SetFontColor(QColor(0x1E, 0x1E, 0x1E));
    label.SetWindowTextA(text);
    label.setGeometry(where);
}

void CancelGuideOf(QWidget* step) {
    if (auto* guide = dynamic_cast<CGlazeDialog*>(step->parentWidget())) {
        guide->OnCancel();
    }
}

} // namespace console
