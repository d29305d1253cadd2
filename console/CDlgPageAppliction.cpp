#include "console/CDlgPageAppliction.h"

#include "console/CAllowListModel.h"
#include "console/CDlgLogo.h"
#include "console/CDlgMessage.h"
#include "core/CDBManager.h"
#include "core/CWarrowCoreInterface.h"

#include <QActionGroup>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QInputDialog>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>

#include <algorithm>
#include <optional>
#include <utility>

namespace {

CDlgPageAppliction* s_pInstance = nullptr;
std::optional<QString> s_nextFileAnswer;
std::optional<std::optional<int>> s_nextMinutesAnswer;

// The limits offered at once; anything else through "自定义...".
constexpr int kLimitChoices[] = {-1, 15, 30, 60, 120};
constexpr int kLongestLimit = 24 * 60;

QString ChoiceText(int minutes) {
    if (minutes < 0) {
        return QStringLiteral("不限制");
    }
    return minutes % 60 == 0 ? QStringLiteral("%1小时").arg(minutes / 60)
                             : QStringLiteral("%1分钟").arg(minutes);
}

// The list: takes dropped files as copies whatever the source proposes, and
// removes with the Delete key.
class CAllowListView : public QListView {
public:
    CAllowListView(QWidget* parent, CDlgPageAppliction& page) : QListView(parent), m_page(page) {}

protected:
    void dragEnterEvent(QDragEnterEvent* event) override { AcceptAsCopy(event); }
    void dragMoveEvent(QDragMoveEvent* event) override { AcceptAsCopy(event); }
    void dropEvent(QDropEvent* event) override {
        if (!AcceptAsCopy(event)) {
            return;
        }
        model()->dropMimeData(event->mimeData(), Qt::CopyAction, -1, -1, QModelIndex());
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Delete && state() != EditingState) {
            m_page.OnDelete();
            return;
        }
        QListView::keyPressEvent(event);
    }

public:
    // The logo and notice windows float over the main window's edge as windows
    // of their own; they are repainted with the list so no stale picture of it
    // stays under them.
    void RepaintWithFloatingWindows() {
        viewport()->update();
        for (CDlgLogo* logo : window()->findChildren<CDlgLogo*>(Qt::FindDirectChildrenOnly)) {
            logo->update();
        }
        if (CDlgMessage* notice = CDlgMessage::Instance()) {
            notice->update();
        }
    }

private:
    bool AcceptAsCopy(QDropEvent* event) {
        if (!event->mimeData()->hasFormat(QStringLiteral("text/uri-list"))) {
            event->ignore();
            return false;
        }
        event->setDropAction(Qt::CopyAction);
        event->accept();
        return true;
    }

    CDlgPageAppliction& m_page;
};

} // namespace

CDlgPageAppliction::CDlgPageAppliction(QWidget* parent)
    : CDlgPageBase(parent), m_pList(new CAllowListView(this, *this)),
      m_pModel(new CAllowListModel(CWarrowCoreInterface::Get()->GetWLMng(), this)), m_pMenu(new QMenu(this)),
      m_pLimitMenu(new QMenu(QStringLiteral("每天限时"), this)), m_pLimitChoices(new QActionGroup(this)),
      m_pLearning(new QAction(QStringLiteral("学习程序（单独使用时不计入娱乐时间）"), this)) {
    s_pInstance = this;
    m_pModel->SetLimitsDataBase(CDBManager::Instance().GetDataBase(kDataBasePath, kDataBasePassword));
    m_pList->setObjectName(QStringLiteral("AllowList"));
    m_pList->setModel(m_pModel);
    m_pList->setViewMode(QListView::IconMode);
    m_pList->setMovement(QListView::Static);
    m_pList->setResizeMode(QListView::Adjust);
    m_pList->setIconSize(QSize(32, 32));
    // Room for the add row's eight characters, and for a limit under a name.
    m_pList->setGridSize(QSize(120, 84));
    m_pList->setWordWrap(true);
    m_pList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pList->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    m_pList->viewport()->setAcceptDrops(true); // drops land on the viewport
    m_pList->setDropIndicatorShown(false);
    m_pList->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* list = static_cast<CAllowListView*>(m_pList);
    const auto repaint = [list] { list->RepaintWithFloatingWindows(); };
    connect(m_pList->verticalScrollBar(), &QScrollBar::valueChanged, this, repaint);
    connect(m_pModel, &QAbstractItemModel::dataChanged, this, repaint);
    connect(m_pModel, &QAbstractItemModel::modelReset, this, repaint);
    connect(m_pModel, &QAbstractItemModel::rowsRemoved, this, repaint);
    connect(m_pList, &QAbstractItemView::activated, this, [this](const QModelIndex& index) {
        if (m_pModel->IsAddRow(index)) {
            OnAddByDialog();
        }
    });
    connect(m_pList, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        PrepareContextMenu(m_pList->indexAt(at));
        m_pMenu->popup(m_pList->viewport()->mapToGlobal(at));
    });
    connect(m_pMenu->addAction(QStringLiteral("编  辑")), &QAction::triggered, this, [this] { OnEdit(); });
    connect(m_pMenu->addAction(QStringLiteral("删  除")), &QAction::triggered, this, [this] { OnDelete(); });
    connect(m_pMenu->addAction(QStringLiteral("排  序")), &QAction::triggered, this, [this] { Refresh(); });
    m_pMenu->addSeparator();
    m_pMenu->addMenu(m_pLimitMenu);
    for (const int minutes : kLimitChoices) {
        QAction* choice = m_pLimitMenu->addAction(ChoiceText(minutes));
        choice->setCheckable(true);
        choice->setData(minutes);
        m_pLimitChoices->addAction(choice);
        connect(choice, &QAction::triggered, this, [this, minutes] { OnSetLimit(minutes); });
    }
    QAction* custom = m_pLimitMenu->addAction(QStringLiteral("自定义..."));
    custom->setCheckable(true);
    m_pLimitChoices->addAction(custom);
    connect(custom, &QAction::triggered, this, [this] { OnCustomLimit(); });
    m_pLearning->setCheckable(true);
    m_pMenu->addAction(m_pLearning);
    connect(m_pLearning, &QAction::triggered, this, [this](bool checked) { OnSetLearning(checked); });
}

CDlgPageAppliction::~CDlgPageAppliction() {
    if (s_pInstance == this) {
        s_pInstance = nullptr;
    }
}

CDlgPageAppliction* CDlgPageAppliction::Instance() {
    return s_pInstance;
}

void CDlgPageAppliction::SetNextFileAnswer(const QString& path) {
    s_nextFileAnswer = path;
}

void CDlgPageAppliction::SetNextMinutesAnswer(std::optional<int> minutes) {
    s_nextMinutesAnswer = minutes;
}

bool CDlgPageAppliction::OnInitDialog() {
    const bool loaded = CDlgPageBase::OnInitDialog();
    m_pList->setGeometry(10, 10, 636, 290);
    QPalette colours = m_pList->palette();
    colours.setColor(QPalette::Text, Qt::black);
    m_pList->setPalette(colours);
    Refresh();
    return loaded;
}

void CDlgPageAppliction::Refresh() {
    m_pModel->Refresh();
    m_pList->setCurrentIndex(m_pModel->index(std::min(1, m_pModel->rowCount() - 1)));
    m_pList->clearSelection();
}

void CDlgPageAppliction::OnAddByDialog() {
    QString path;
    if (s_nextFileAnswer) {
        path = *std::exchange(s_nextFileAnswer, std::nullopt);
    } else {
        path = QFileDialog::getOpenFileName(this, QStringLiteral("添加程序"), QString(),
                                            QStringLiteral("程序(*);;桌面启动器(*.desktop)"));
    }
    if (!path.isEmpty()) {
        m_pModel->AddFiles({path.toStdString()});
    }
}

void CDlgPageAppliction::OnEdit() {
    const QModelIndex current = m_pList->currentIndex();
    if (current.isValid() && !m_pModel->IsAddRow(current)) {
        m_pList->edit(current);
    }
}

void CDlgPageAppliction::OnDelete() {
    std::vector<int> rows;
    for (const QModelIndex& index : m_pList->selectionModel()->selectedIndexes()) {
        rows.push_back(index.row());
    }
    m_pModel->RemoveRows(rows);
}

void CDlgPageAppliction::PrepareContextMenu(const QModelIndex& clicked) {
    if (clicked.isValid() && !m_pList->selectionModel()->isSelected(clicked)) {
        m_pList->setCurrentIndex(clicked);
        m_pList->selectionModel()->select(clicked, QItemSelectionModel::ClearAndSelect);
    }
    const bool program = clicked.isValid() && !m_pModel->IsAddRow(clicked);
    m_pLimitMenu->setEnabled(program);
    m_pLearning->setEnabled(program);
    const core::tagAppLimit limit = program ? m_pModel->LimitOf(clicked.row()) : core::tagAppLimit{};
    m_pLearning->setChecked(limit.Learning);
    const QList<QAction*> choices = m_pLimitChoices->actions();
    // The custom item, last, is checked for a limit the fixed items do not offer.
    choices.back()->setChecked(true);
    for (QAction* choice : choices) {
        if (choice->data().isValid() && choice->data().toInt() == limit.Minutes) {
            choice->setChecked(true);
        }
    }
}

std::vector<int> CDlgPageAppliction::SelectedProgramRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : m_pList->selectionModel()->selectedIndexes()) {
        if (!m_pModel->IsAddRow(index)) {
            rows.push_back(index.row());
        }
    }
    return rows;
}

void CDlgPageAppliction::ChangeLimits(const std::function<void(core::tagAppLimit&)>& change) {
    if (!m_pModel->ChangeLimits(SelectedProgramRows(), change)) {
        ShowNotice("程序限时保存失败，请稍后再试");
    }
}

void CDlgPageAppliction::OnSetLimit(int minutes) {
    ChangeLimits([minutes](core::tagAppLimit& limit) { limit.Minutes = minutes < 0 ? -1 : minutes; });
}

void CDlgPageAppliction::OnCustomLimit() {
    const std::vector<int> rows = SelectedProgramRows();
    if (rows.empty()) {
        return;
    }
    const int current = m_pModel->LimitOf(rows.front()).Minutes;
    std::optional<int> minutes;
    if (s_nextMinutesAnswer) {
        minutes = *std::exchange(s_nextMinutesAnswer, std::nullopt);
    } else {
        bool ok = false;
        const int chosen = QInputDialog::getInt(this, QStringLiteral("每天限时"),
                                                QStringLiteral("每天最多可以使用的分钟数："),
                                                current > 0 ? current : 60, 1, kLongestLimit, 5, &ok);
        if (ok) {
            minutes = chosen;
        }
    }
    if (minutes && *minutes >= 1 && *minutes <= kLongestLimit) {
        OnSetLimit(*minutes);
    }
}

void CDlgPageAppliction::OnSetLearning(bool learning) {
    ChangeLimits([learning](core::tagAppLimit& limit) { limit.Learning = learning; });
}
