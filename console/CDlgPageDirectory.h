#pragma once
// The console page for the child folder page; it has no actions and its page button stays disabled.

#include "console/CDlgPageBase.h"

class CDlgPageDirectory : public CDlgPageBase {
public:
    using CDlgPageBase::CDlgPageBase;
};
