#pragma once
// The five pages of the main window, in page-index order: smart setup,
// allow-list, folder, web tree, protection. Each is a skinned child dialog
// placed at (7, 141) and 658×347 large.

#include <array>

class CDlgPageBase;
class QWidget;

namespace console {

constexpr int kPageCount = 5;
constexpr int kApplicationPage = 1;
constexpr int kExplorerPage = 3;
std::array<CDlgPageBase*, kPageCount> CreatePages(QWidget* parent);

} // namespace console
