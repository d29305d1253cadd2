#pragma once
// The five pages of the main window, in page-index order: smart setup,
// allow-list, folder, web tree, protection. Each is a skinned child dialog
// placed at (7, 141) and 658×347 large; the settings pages fill them.

#include <array>

class CGlazeDialog;
class QWidget;

namespace console {

constexpr int kPageCount = 5;
std::array<CGlazeDialog*, kPageCount> CreatePages(QWidget* parent);

} // namespace console
