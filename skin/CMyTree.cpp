#include "skin/CMyTree.h"

#include "skin/GlazeTypes.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <algorithm>

namespace {
constexpr int kImageRole = Qt::UserRole + 1;
constexpr int kShockPeriodMs = 400;
} // namespace

CMyTree::CMyTree(QWidget* parent) : QTreeWidget(parent) {
    m_shockTimer.setObjectName(QStringLiteral("shock"));
    m_shockTimer.setInterval(kShockPeriodMs);
    connect(&m_shockTimer, &QTimer::timeout, this, [this] { Blink(); });
}

CMyTree::~CMyTree() = default;

void CMyTree::Init() {
    setHeaderHidden(true);
    setColumnCount(1);
    setFrameShape(QFrame::NoFrame);
    setIndentation(18);
    m_rcInit = geometry();
}

int CMyTree::AddImage(const char* path) {
    CGlazeBitmap image;
    if (!image.LoadGlazeImage(path))
        return -1;
    m_images.push_back(image);
    return static_cast<int>(m_images.size()) - 1;
}

void CMyTree::DelImage(int index) {
    if (index >= 0 && index < static_cast<int>(m_images.size()))
        m_images[static_cast<std::size_t>(index)] = CGlazeBitmap();
}

const CGlazeBitmap* CMyTree::Image(int index) const {
    if (index < 0 || index >= static_cast<int>(m_images.size()))
        return nullptr;
    const CGlazeBitmap& image = m_images[static_cast<std::size_t>(index)];
    return image.IsLoad() ? &image : nullptr;
}

void CMyTree::SetBackImage(int index) {
    QPalette colours = viewport()->palette();
    const CGlazeBitmap* image = Image(index);
    colours.setBrush(QPalette::Base, image != nullptr ? QBrush(image->GetPixmap()) : QBrush(Qt::white));
    viewport()->setPalette(colours);
    setPalette(colours);
}

void CMyTree::SetPuckerImage(int expanded, int collapsed) {
    m_nExpanded = expanded;
    m_nCollapsed = collapsed;
    viewport()->update();
}

void CMyTree::SetItemIcon(QTreeWidgetItem* item, int index) {
    if (item == nullptr)
        return;
    const CGlazeBitmap* image = Image(index);
    item->setData(0, kImageRole, index);
    item->setIcon(0, image != nullptr ? QIcon(image->GetPixmap()) : QIcon());
}

void CMyTree::SetItemTextColor(QTreeWidgetItem* item, const QColor& colour) {
    if (item != nullptr)
        item->setForeground(0, colour);
}

void CMyTree::SetBeginShock(QTreeWidgetItem* item) {
    if (item == nullptr || IsShocking(item))
        return;
    m_shocking.emplace_back(indexFromItem(item));
    if (!m_shockTimer.isActive())
        m_shockTimer.start();
}

bool CMyTree::IsShocking(QTreeWidgetItem* item) const {
    const QModelIndex index = indexFromItem(item);
    return index.isValid() && std::find(m_shocking.begin(), m_shocking.end(), index) != m_shocking.end();
}

void CMyTree::SetStopShock(QTreeWidgetItem* item) {
    if (item == nullptr)
        return;
    const QModelIndex index = indexFromItem(item);
    const auto found = std::find(m_shocking.begin(), m_shocking.end(), index);
    if (found != m_shocking.end()) {
        m_shocking.erase(found);
        const QVariant image = item->data(0, kImageRole);
        SetItemIcon(item, image.isValid() ? image.toInt() : -1);
    }
    if (m_shocking.empty())
        m_shockTimer.stop();
}

void CMyTree::Blink() {
    m_bShockShown = !m_bShockShown;
    std::erase_if(m_shocking, [](const QPersistentModelIndex& index) { return !index.isValid(); });
    for (const QPersistentModelIndex& shocking : m_shocking) {
        QTreeWidgetItem* item = itemFromIndex(shocking);
        const QVariant index = item->data(0, kImageRole);
        const CGlazeBitmap* image = Image(index.isValid() ? index.toInt() : -1);
        item->setIcon(0, m_bShockShown && image != nullptr ? QIcon(image->GetPixmap()) : QIcon());
    }
}

QTreeWidgetItem* CMyTree::InsertItem(const QString& text, QTreeWidgetItem* parent, int image) {
    auto* item = parent != nullptr ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    item->setText(0, text);
    if (image >= 0)
        SetItemIcon(item, image);
    return item;
}

void CMyTree::drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const {
    const CGlazeBitmap* mark = Image(isExpanded(index) ? m_nExpanded : m_nCollapsed);
    if (mark == nullptr || !model()->hasChildren(index)) {
        QTreeWidget::drawBranches(painter, rect, index);
        return;
    }
    const int size = indentation();
    const QRect cell(rect.right() - size + 1, rect.top(), size, rect.height());
    mark->TransparentBlt(painter, cell.left() + (cell.width() - mark->GetWidth()) / 2,
                         cell.top() + (cell.height() - mark->GetHeight()) / 2, kGlazeColorKey);
}

void CMyTree::contextMenuEvent(QContextMenuEvent* event) {
    if (m_pMenu != nullptr)
        m_pMenu->exec(event->globalPos());
    else
        QTreeWidget::contextMenuEvent(event);
}
