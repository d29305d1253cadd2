#pragma once
// The tab strip of the child browser. Tabs and their texts are drawn by the
// platform style on a white ground; images registered per tab and state are
// kept for owners that draw tabs themselves.

#include "skin/CGlazeBitmap.h"

#include <QTabBar>
#include <map>
#include <memory>
#include <utility>

class CGlazeTabCtrl : public QTabBar {
public:
    explicit CGlazeTabCtrl(QWidget* parent = nullptr);
    ~CGlazeTabCtrl() override;

    // Stores the image for (item, state), replacing an earlier one; 1 on
    // success, 0 when the file cannot be read.
    int SetItemImage(int item, int state, const char* path);
    const CGlazeBitmap* GetItemImage(int item, int state) const;

private:
    std::map<std::pair<int, int>, std::unique_ptr<CGlazeBitmap>> m_images;
};
