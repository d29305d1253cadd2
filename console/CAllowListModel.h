#pragma once
// The allow-list as the applications page shows it: one row per allowed
// program the child's desktop shows (entries with an Icon text are allowed
// but hidden there, and here), in name order, then the row that adds one.
// Every change is written to the database at once.

#include <QAbstractListModel>
#include <QIcon>

#include <string>
#include <vector>

class CWriteListMng;

class CAllowListModel : public QAbstractListModel {
public:
    // The add row's text.
    static constexpr const char* kAddRowText = "双击这里开始添加";
    // The child browser's entry: it can be renamed, never removed.
    static constexpr const char* kBrowserAppName = "WarrowExplorer";
    // The allow-list name of a row (empty for the add row).
    static constexpr int AppNameRole = Qt::UserRole + 1;

    explicit CAllowListModel(CWriteListMng* list, QObject* parent = nullptr);

    // Rebuilds the rows from the allow-list.
    void Refresh();
    // Adds each file the way a drop does (programs and desktop entries;
    // anything else adds nothing), then rebuilds. Returns how many were added.
    int AddFiles(const std::vector<std::string>& paths);
    // Removes the programs of these rows from the allow-list and the view.
    // The add row and the child browser's row stay. False when a row stayed
    // that was asked to go.
    bool RemoveRows(std::vector<int> rows);
    bool IsAddRow(const QModelIndex& index) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // Renames the row's program; an empty or unchanged name changes nothing.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    QStringList mimeTypes() const override;
    Qt::DropActions supportedDropActions() const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

private:
    struct tagRow {
        std::string appName;
        QIcon icon;
    };
    CWriteListMng* m_pList;
    std::vector<tagRow> m_rows;
    QIcon m_addIcon;
};
