#include "console/SetupGuide.h"

#include "console/CDlgSetupGuide.h"

namespace console {

void OpenSetupGuide(QWidget* parent) {
    CDlgSetupGuide guide(parent);
    if (guide.OnInitDialog()) {
        guide.DoModal();
    }
}

} // namespace console
