#pragma once
// A list whose rows and background are drawn by the control itself.

#include <QListWidget>

class CGlazeListBox : public QListWidget {
public:
    explicit CGlazeListBox(QWidget* parent = nullptr);
    ~CGlazeListBox() override;

    void SetRowColors(const QColor& text, const QColor& selectedText, const QColor& selection);
    void SetRowHeight(int height) { m_nRowHeight = height; }

protected:
    virtual void DrawItem(QPainter& dc, const QStyleOptionViewItem& option, const QModelIndex& index);
    virtual QSize MeasureItem(const QStyleOptionViewItem& option, const QModelIndex& index);

private:
    QColor m_crText{0x14, 0x4F, 0x7F};
    QColor m_crSelectedText{255, 255, 255};
    QColor m_crSelection{0x3A, 0x8E, 0xD6};
    int m_nRowHeight = 22;
};
