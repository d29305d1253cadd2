#pragma once
// The console page for protection: parent password, basic settings, usage log, time control.

#include "console/CDlgPageBase.h"

class CDlgPageProtect : public CDlgPageBase {
public:
    using CDlgPageBase::CDlgPageBase;
};
