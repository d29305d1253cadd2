#include "console/CDlgPageAppliction.h"

#include "console/CAllowListModel.h"
#include "console/CDlgLogo.h"
#include "console/CDlgMessage.h"
#include "core/CWarrowCoreInterface.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileDialog>
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
      m_pModel(new CAllowListModel(CWarrowCoreInterface::Get()->GetWLMng(), this)), m_pMenu(new QMenu(this)) {
    s_pInstance = this;
    m_pList->setObjectName(QStringLiteral("AllowList"));
    m_pList->setModel(m_pModel);
    m_pList->setViewMode(QListView::IconMode);
    m_pList->setMovement(QListView::Static);
    m_pList->setResizeMode(QListView::Adjust);
    m_pList->setIconSize(QSize(32, 32));
    m_pList->setGridSize(QSize(120, 72)); // room for the add row's eight characters
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
    connect(m_pList, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { m_pMenu->popup(m_pList->viewport()->mapToGlobal(at)); });
    connect(m_pMenu->addAction(QStringLiteral("编  辑")), &QAction::triggered, this, [this] { OnEdit(); });
    connect(m_pMenu->addAction(QStringLiteral("删  除")), &QAction::triggered, this, [this] { OnDelete(); });
    connect(m_pMenu->addAction(QStringLiteral("排  序")), &QAction::triggered, this, [this] { Refresh(); });
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
