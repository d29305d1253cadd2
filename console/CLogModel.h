#pragma once
// The usage log as an item model, newest line first: a page of lines is read
// when the model is made and another each time the view scrolls near the end
// (canFetchMore / fetchMore), so a log of a million lines opens as quickly as
// one of a thousand. Columns: date, text.

#include "core/CLogPager.h"

#include <QAbstractTableModel>

#include <vector>

class CDataBase;
class CWarrowLog;

class CLogModel : public QAbstractTableModel {
public:
    enum enColumn { DateColumn, TextColumn, kColumns };

    explicit CLogModel(CDataBase* db, QObject* parent = nullptr, int pageSize = CLogPager::kDefaultPageSize);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    // Deletes every line of the log (one statement) and empties the model;
    // false, with the rows kept, when the table could not be cleared.
    bool Clear(CWarrowLog& log);

    const tagLogInfo& Line(int row) const { return m_lines.at(static_cast<std::size_t>(row)); }

    // How the date column shows a time: the system locale's short date and
    // time; empty for no date.
    static QString DateText(const COleDateTime& time);

private:
    CLogPager m_pager;
    std::vector<tagLogInfo> m_lines;
};
