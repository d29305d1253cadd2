#include "console/CLogModel.h"

#include "core/CWarrowLog.h"

#include <QDate>
#include <QLocale>
#include <QTime>

CLogModel::CLogModel(CDataBase* db, QObject* parent, int pageSize)
    : QAbstractTableModel(parent), m_pager(db, pageSize, CLogPager::Order::NewestFirst) {
    // The first page is there before the view asks, so the window opens with lines.
    m_pager.FetchMore(m_lines);
}

int CLogModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_lines.size());
}

int CLogModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant CLogModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const tagLogInfo& line = Line(index.row());
    if (role == Qt::DisplayRole) {
        return index.column() == DateColumn ? DateText(line.DateTime) : QString::fromStdString(line.Content);
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(index.column() == DateColumn ? Qt::AlignCenter
                                                                : Qt::AlignLeft | Qt::AlignVCenter);
    }
    return {};
}

QVariant CLogModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumns) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return section == DateColumn ? QStringLiteral("日 期") : QStringLiteral("操 作 记 录");
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(section == DateColumn ? Qt::AlignCenter
                                                         : Qt::AlignLeft | Qt::AlignVCenter);
    }
    return {};
}

bool CLogModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && m_pager.CanFetchMore();
}

void CLogModel::fetchMore(const QModelIndex& parent) {
    if (parent.isValid()) {
        return;
    }
    std::vector<tagLogInfo> page;
    if (!m_pager.FetchMore(page) || page.empty()) {
        return;
    }
    const int first = static_cast<int>(m_lines.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(page.size()) - 1);
    m_lines.insert(m_lines.end(), std::make_move_iterator(page.begin()), std::make_move_iterator(page.end()));
    endInsertRows();
}

bool CLogModel::Clear(CWarrowLog& log) {
    if (!log.Clear()) {
        return false;
    }
    beginResetModel();
    m_lines.clear();
    m_pager.Reset();
    m_pager.FetchMore(m_lines); // whatever was written since the clear
    endResetModel();
    return true;
}

QString CLogModel::DateText(const COleDateTime& time) {
    switch (time.m_status) {
    case COleDateTime::null:
        return {};
    case COleDateTime::invalid:
        return QStringLiteral("Invalid DateTime");
    case COleDateTime::valid:
        break;
    }
    // The locale's short date, and the time to the second: lines of one
    // minute are told apart.
    const QLocale locale = QLocale::system();
    return locale.toString(QDate(time.GetYear(), time.GetMonth(), time.GetDay()), QLocale::ShortFormat) +
           QLatin1Char(' ') +
           locale.toString(QTime(time.GetHour(), time.GetMinute(), time.GetSecond()),
                           QStringLiteral("HH:mm:ss"));
}
