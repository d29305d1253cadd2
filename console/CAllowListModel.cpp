#include "console/CAllowListModel.h"

#include "console/ProgramIcon.h"
#include "core/AppAdder.h"
#include "core/CWriteListMng.h"
#include "platform/DesktopEntry.h"
#include "platform/Paths.h"

#include <QMimeData>
#include <QUrl>

#include <algorithm>

namespace {

// The program an entry starts: an empty folder is the installation folder
// (the programs' current directory), as for the child browser's entry.
std::string ProgramOf(const tagAppInfo& info) {
    const std::string folder = info.AppPath.empty() ? platform::CurrentDirectory() : info.AppPath;
    return platform::JoinPath(folder, info.AppName);
}

bool HasUrls(const QMimeData* data) {
    return data != nullptr && data->hasFormat(QStringLiteral("text/uri-list"));
}

} // namespace

CAllowListModel::CAllowListModel(CWriteListMng* list, QObject* parent)
    : QAbstractListModel(parent), m_pList(list), m_addIcon(console::AddIcon()) {
    Refresh();
}

void CAllowListModel::SetLimitsDataBase(CDataBase* db) {
    m_pLimitsDb = db;
    LoadLimits();
    if (!m_rows.empty()) {
        emit dataChanged(index(0), index(static_cast<int>(m_rows.size()) - 1),
                         {Qt::DisplayRole, Qt::ToolTipRole, LimitTextRole});
    }
}

void CAllowListModel::LoadLimits() {
    if (m_pLimitsDb == nullptr || !core::LoadAppLimits(*m_pLimitsDb, m_limits)) {
        m_limits.clear(); // the database's hook has reported it; nothing half-read is shown
    }
}

void CAllowListModel::Refresh() {
    beginResetModel();
    m_rows.clear();
    LoadLimits();
    if (m_pList != nullptr) {
        m_pList->ForEach([this](tagAppInfo& info) {
            if (info.Icon.empty()) {
                m_rows.push_back({info.AppName, console::ProgramIcon(ProgramOf(info), info.AppName)});
            }
        });
    }
    endResetModel();
}

int CAllowListModel::AddFiles(const std::vector<std::string>& paths) {
    int added = 0;
    for (const std::string& path : paths) {
        if (m_pList == nullptr) {
            break;
        }
        tagAppInfo info;
        if (!AddApp(*m_pList, path, &info)) {
            continue;
        }
        ++added;
        if (const auto launcher = platform::ReadDesktopEntry(path); launcher && !launcher->icon.empty()) {
            console::RememberLauncherIcon(ProgramOf(info), launcher->icon);
        }
    }
    Refresh();
    return added;
}

bool CAllowListModel::RemoveRows(std::vector<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    bool allGone = true;
    // From the bottom up, so the rows still to go keep their numbers.
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        const int row = *it;
        if (row < 0 || row >= static_cast<int>(m_rows.size())) {
            allGone = allGone && row == static_cast<int>(m_rows.size()); // the add row is never removed
            continue;
        }
        const std::string name = m_rows[static_cast<std::size_t>(row)].appName;
        // The child browser stays allowed and stays in view: a row that
        // vanished while its program stays allowed would tell the parent a lie.
        if (name == kBrowserAppName) {
            allGone = false;
            continue;
        }
        if (m_pList != nullptr && m_pList->Find(name.c_str()) != nullptr) {
            m_pList->Del(name.c_str(), true);
        }
        beginRemoveRows(QModelIndex(), row, row);
        m_rows.erase(m_rows.begin() + row);
        endRemoveRows();
    }
    return allGone;
}

core::tagAppLimit CAllowListModel::LimitOf(int row) const {
    if (row < 0 || row >= static_cast<int>(m_rows.size())) {
        return {};
    }
    const auto found = m_limits.find(m_rows[static_cast<std::size_t>(row)].appName);
    return found != m_limits.end() ? found->second : core::tagAppLimit{};
}

bool CAllowListModel::ChangeLimits(const std::vector<int>& rows,
                                   const std::function<void(core::tagAppLimit&)>& change) {
    bool stored = true;
    for (const int row : rows) {
        if (row < 0 || row >= static_cast<int>(m_rows.size())) {
            continue;
        }
        const std::string& name = m_rows[static_cast<std::size_t>(row)].appName;
        core::tagAppLimit limit = LimitOf(row);
        change(limit);
        if (m_pLimitsDb == nullptr || !core::SaveAppLimit(*m_pLimitsDb, name, limit)) {
            stored = false;
            continue;
        }
        if (limit == core::tagAppLimit{}) {
            m_limits.erase(name);
        } else {
            m_limits[name] = limit;
        }
        const QModelIndex changed = index(row);
        emit dataChanged(changed, changed, {Qt::DisplayRole, Qt::ToolTipRole, LimitTextRole});
    }
    return stored;
}

QString CAllowListModel::LimitText(const core::tagAppLimit& limit) {
    QStringList parts;
    if (limit.Minutes >= 0) {
        parts << QStringLiteral("限时%1分钟").arg(limit.Minutes);
    }
    if (limit.Learning) {
        parts << QStringLiteral("学习");
    }
    return parts.join(QLatin1Char(' '));
}

bool CAllowListModel::IsAddRow(const QModelIndex& index) const {
    return index.isValid() && index.row() == static_cast<int>(m_rows.size());
}

int CAllowListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size()) + 1;
}

QVariant CAllowListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    if (IsAddRow(index)) {
        switch (role) {
        case Qt::DisplayRole:
            return QString::fromUtf8(kAddRowText);
        case Qt::DecorationRole:
            return m_addIcon;
        case AppNameRole:
            return QString();
        default:
            return {};
        }
    }
    const tagRow& row = m_rows[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: {
        const tagAppInfo* info = m_pList != nullptr ? m_pList->Find(row.appName.c_str()) : nullptr;
        const QString name = info != nullptr ? QString::fromStdString(info->Name) : QString();
        // The limit shows under the name; renaming edits the name alone.
        const QString limit = LimitText(LimitOf(index.row()));
        return role == Qt::EditRole || limit.isEmpty() ? name : name + QLatin1Char('\n') + limit;
    }
    case LimitTextRole:
        return LimitText(LimitOf(index.row()));
    case Qt::ToolTipRole: {
        const core::tagAppLimit limit = LimitOf(index.row());
        QStringList lines;
        if (limit.Minutes >= 0) {
            lines << QStringLiteral("每天最多使用%1分钟").arg(limit.Minutes);
        }
        if (limit.Learning) {
            lines << QStringLiteral("学习程序：单独使用时不计入娱乐时间");
        }
        return lines.isEmpty() ? QVariant() : QVariant(lines.join(QLatin1Char('\n')));
    }
    case Qt::DecorationRole:
        return row.icon;
    case AppNameRole:
        return QString::fromStdString(row.appName);
    default:
        return {};
    }
}

bool CAllowListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || IsAddRow(index) ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) ||
        m_pList == nullptr) {
        return false;
    }
    tagAppInfo* info = m_pList->Find(m_rows[static_cast<std::size_t>(index.row())].appName.c_str());
    const std::string name = value.toString().trimmed().toStdString();
    // A nameless icon on the child's desktop could not be told from the others.
    if (info == nullptr || name.empty() || name == info->Name) {
        return false;
    }
    tagAppInfo renamed = *info;
    renamed.Name = name;
    m_pList->Add(renamed.AppName.c_str(), renamed, true);
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

Qt::ItemFlags CAllowListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::ItemIsDropEnabled;
    }
    if (IsAddRow(index)) {
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QStringList CAllowListModel::mimeTypes() const {
    return {QStringLiteral("text/uri-list")};
}

// Copy and link only: a drop accepted as a move would have the file manager
// delete the dropped program afterwards.
Qt::DropActions CAllowListModel::supportedDropActions() const {
    return Qt::CopyAction | Qt::LinkAction;
}

bool CAllowListModel::canDropMimeData(const QMimeData* data, Qt::DropAction action, int, int,
                                      const QModelIndex&) const {
    return HasUrls(data) && (action == Qt::CopyAction || action == Qt::LinkAction);
}

bool CAllowListModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                                   const QModelIndex& parent) {
    if (!canDropMimeData(data, action, row, column, parent)) {
        return false;
    }
    std::vector<std::string> paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            paths.push_back(url.toLocalFile().toStdString());
        }
    }
    AddFiles(paths);
    return true;
}
