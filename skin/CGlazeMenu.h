#pragma once
// A popup menu whose items carry a bitmap and a command number.

#include <QMenu>

class CGlazeMenu : public QMenu {
public:
    explicit CGlazeMenu(QWidget* parent = nullptr);
    ~CGlazeMenu() override;

    // A missing bitmap leaves the item without a picture.
    QAction* AppendCustomMenu(const char* bitmap, const QString& text, unsigned id);
    void AppendSeperator() { addSeparator(); }
    // The picture of the item at `index` (separators count); false for an index
    // outside the menu or an unreadable file.
    bool SetCustomItemBmp(int index, const char* bitmap);
    void SetItemWidth(int width) { setMinimumWidth(width); }

    // Shows the menu at `where` and answers the chosen item's command, or 0.
    unsigned TrackPopupMenu(const QPoint& where);
    static unsigned CommandOf(const QAction* action);
};
