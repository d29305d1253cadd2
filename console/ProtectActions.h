#pragma once
// The protection actions the security page and the setup guide's last step
// offer. Each opens its modal dialog over `parent`.

class QWidget;

namespace console {

void ChangeParentPassword(QWidget* parent);
void OpenBaseSetup(QWidget* parent);
void OpenUsageLog(QWidget* parent);
void OpenTimeControl(QWidget* parent);
// The week schedule; says so instead when the stored schedule cannot be read.
void OpenSchedule(QWidget* parent);

} // namespace console
