#pragma once
// Opens the three-step setup guide over `parent` (the smart-setup page's
// guide button).

class QWidget;

namespace console {

void OpenSetupGuide(QWidget* parent);

} // namespace console
