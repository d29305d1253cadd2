#include "skin/CGlazeListBox.h"

#include "skin/GlazeOwnerDraw.h"

#include <QPainter>

CGlazeListBox::CGlazeListBox(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new GlazeOwnerDraw(
        this,
        [this](QPainter& dc, const QStyleOptionViewItem& option, const QModelIndex& index) {
            DrawItem(dc, option, index);
        },
        [this](const QStyleOptionViewItem& option, const QModelIndex& index) {
            return MeasureItem(option, index);
        }));
}

CGlazeListBox::~CGlazeListBox() = default;

void CGlazeListBox::SetRowColors(const QColor& text, const QColor& selectedText, const QColor& selection) {
    m_crText = text;
    m_crSelectedText = selectedText;
    m_crSelection = selection;
    viewport()->update();
}

void CGlazeListBox::DrawItem(QPainter& dc, const QStyleOptionViewItem& option, const QModelIndex& index) {
    const bool selected = option.state & QStyle::State_Selected;
    dc.save();
    if (selected) {
        dc.setRenderHint(QPainter::Antialiasing);
        dc.setPen(Qt::NoPen);
        dc.setBrush(m_crSelection);
        dc.drawRoundedRect(QRectF(option.rect).adjusted(1, 1, -1, -1), 4, 4);
    }
    dc.setPen(selected ? m_crSelectedText : m_crText);
    dc.setFont(option.font);
    dc.drawText(option.rect.adjusted(6, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                index.data(Qt::DisplayRole).toString());
    dc.restore();
}

QSize CGlazeListBox::MeasureItem(const QStyleOptionViewItem& option, const QModelIndex&) {
    return QSize(option.rect.width(), m_nRowHeight);
}
