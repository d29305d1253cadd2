#pragma once
// The console page for smart setup: the guide, the maker's site, basic settings, usage log, child mode, the request dialog.

#include "console/CDlgPageBase.h"

class CDlgPageAuto : public CDlgPageBase {
public:
    using CDlgPageBase::CDlgPageBase;
};
