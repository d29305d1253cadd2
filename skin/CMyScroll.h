#pragma once
// The scroll bar type the skinned lists and trees name; it draws like the
// platform's.

#include <QScrollBar>

class CMyScroll : public QScrollBar {
public:
    using QScrollBar::QScrollBar;
};
