#include "console/ConsolePages.h"

#include "console/CDlgPageAppliction.h"
#include "console/CDlgPageAuto.h"
#include "console/CDlgPageDirectory.h"
#include "console/CDlgPageExplorer.h"
#include "console/CDlgPageProtect.h"
#include "console/DialogLook.h"

namespace console {

std::array<CDlgPageBase*, kPageCount> CreatePages(QWidget* parent) {
    const std::array<CDlgPageBase*, kPageCount> pages = {
        new CDlgPageAuto(parent), new CDlgPageAppliction(parent), new CDlgPageDirectory(parent),
        new CDlgPageExplorer(parent), new CDlgPageProtect(parent)};
    static constexpr const char* kNames[kPageCount] = {
        "CDlgPageAuto", "CDlgPageAppliction", "CDlgPageDirectory", "CDlgPageExplorer", "CDlgPageProtect"};
    for (int i = 0; i < kPageCount; ++i) {
        CDlgPageBase* page = pages[static_cast<std::size_t>(i)];
        page->setObjectName(QString::fromLatin1(kNames[i]));
        page->OnInitDialog();
        page->setGeometry(Box(7, 141, 665, 488));
        page->hide();
    }
    return pages;
}

} // namespace console
