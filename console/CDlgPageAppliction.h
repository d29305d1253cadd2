#pragma once
// The console page for the allow-list: dropped and chosen programs, renaming, removing.

#include "console/CDlgPageBase.h"

class CDlgPageAppliction : public CDlgPageBase {
public:
    using CDlgPageBase::CDlgPageBase;

    // Rebuilds the list from the allow-list; called each time the page is chosen.
    void Refresh() {}
};
