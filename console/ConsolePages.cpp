#include "console/ConsolePages.h"

#include "console/DialogLook.h"
#include "skin/CGlazeDialog.h"

namespace console {

std::array<CGlazeDialog*, kPageCount> CreatePages(QWidget* parent) {
    static constexpr const char* kNames[kPageCount] = {
        "CDlgPageAuto", "CDlgPageAppliction", "CDlgPageDirectory", "CDlgPageExplorer", "CDlgPageProtect"};
    std::array<CGlazeDialog*, kPageCount> pages{};
    for (int i = 0; i < kPageCount; ++i) {
        auto* page = new CGlazeDialog(parent, Qt::Widget);
        page->setObjectName(QString::fromLatin1(kNames[i]));
        page->SetImage("Resource/家长界面/内容框.bmp");
        page->SetDragRect(QRect());
        page->setGeometry(Box(7, 141, 665, 488));
        page->hide();
        pages[static_cast<std::size_t>(i)] = page;
    }
    return pages;
}

} // namespace console
