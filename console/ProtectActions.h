#pragma once
// The four protection actions the security page and the setup guide's last
// step both offer. Each opens its modal dialog over `parent`.

class QWidget;

namespace console {

void ChangeParentPassword(QWidget* parent);
void OpenBaseSetup(QWidget* parent);
void OpenUsageLog(QWidget* parent);
void OpenTimeControl(QWidget* parent);

} // namespace console
