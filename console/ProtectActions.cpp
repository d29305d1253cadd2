#include "console/ProtectActions.h"

namespace console {

void ChangeParentPassword(QWidget*) {}
void OpenBaseSetup(QWidget*) {}
void OpenUsageLog(QWidget*) {}
void OpenTimeControl(QWidget*) {}

} // namespace console
