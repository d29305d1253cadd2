#pragma once
// Routes the row drawing of a list (or a combo box's list) to the owner's
// DrawItem and MeasureItem.

#include <QStyledItemDelegate>
#include <functional>

class GlazeOwnerDraw : public QStyledItemDelegate {
public:
    using Draw = std::function<void(QPainter&, const QStyleOptionViewItem&, const QModelIndex&)>;
    using Measure = std::function<QSize(const QStyleOptionViewItem&, const QModelIndex&)>;

    GlazeOwnerDraw(QObject* parent, Draw draw, Measure measure)
        : QStyledItemDelegate(parent), m_draw(std::move(draw)), m_measure(std::move(measure)) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        m_draw(*painter, option, index);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return m_measure(option, index);
    }

private:
    Draw m_draw;
    Measure m_measure;
};
