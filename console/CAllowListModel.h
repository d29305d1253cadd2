#pragma once
// The allow-list as the applications page shows it: one row per allowed
// program the child's desktop shows (entries with an Icon text are allowed
// but hidden there, and here), in name order, then the row that adds one.
// Every change is written to the database at once. A program's daily limit
// and learning flag show as a second line under its name.

#include "core/TimeTables.h"

#include <QAbstractListModel>
#include <QIcon>

#include <functional>
#include <string>
#include <vector>

class CDataBase;
class CWriteListMng;

class CAllowListModel : public QAbstractListModel {
public:
    // The add row's text.
    static constexpr const char* kAddRowText = "双击这里开始添加";
    // The child browser's entry: it can be renamed, never removed.
    static constexpr const char* kBrowserAppName = "WarrowExplorer";
    // The allow-list name of a row (empty for the add row).
    static constexpr int AppNameRole = Qt::UserRole + 1;
    // The second line of a row: its limit and learning flag, or empty.
    static constexpr int LimitTextRole = Qt::UserRole + 2;

    explicit CAllowListModel(CWriteListMng* list, QObject* parent = nullptr);

    // The database of the program limits (the settings database); without
    // one no limits are shown or set.
    void SetLimitsDataBase(CDataBase* db);

    // Rebuilds the rows from the allow-list and the limits from their table.
    void Refresh();
    // Adds each file the way a drop does (programs and desktop entries;
    // anything else adds nothing), then rebuilds. Returns how many were added.
    int AddFiles(const std::vector<std::string>& paths);
    // Removes the programs of these rows from the allow-list and the view.
    // The add row and the child browser's row stay. False when a row stayed
    // that was asked to go.
    bool RemoveRows(std::vector<int> rows);
    bool IsAddRow(const QModelIndex& index) const;

    // What is stored for the row's program (defaults for the add row).
    core::tagAppLimit LimitOf(int row) const;
    // Changes and stores the limit of each of these programs (the add row is
    // skipped). A program whose write fails keeps what it showed; false then.
    bool ChangeLimits(const std::vector<int>& rows, const std::function<void(core::tagAppLimit&)>& change);
    // "限时30分钟", "学习", both, or empty.
    static QString LimitText(const core::tagAppLimit& limit);

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
    void LoadLimits();

    struct tagRow {
        std::string appName;
        QIcon icon;
    };
    CWriteListMng* m_pList;
    CDataBase* m_pLimitsDb = nullptr;
    core::AppLimits m_limits;
    std::vector<tagRow> m_rows;
    QIcon m_addIcon;
};
