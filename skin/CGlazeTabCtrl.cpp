#include "skin/CGlazeTabCtrl.h"

#include <QPalette>

CGlazeTabCtrl::CGlazeTabCtrl(QWidget* parent) : QTabBar(parent) {
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::white);
    setPalette(colours);
    setAutoFillBackground(true);
}

CGlazeTabCtrl::~CGlazeTabCtrl() = default;

int CGlazeTabCtrl::SetItemImage(int item, int state, const char* path) {
    auto image = std::make_unique<CGlazeBitmap>();
    if (!image->LoadGlazeImage(path))
        return 0;
    m_images[{item, state}] = std::move(image);
    return 1;
}

const CGlazeBitmap* CGlazeTabCtrl::GetItemImage(int item, int state) const {
    auto found = m_images.find({item, state});
    return found == m_images.end() ? nullptr : found->second.get();
}
