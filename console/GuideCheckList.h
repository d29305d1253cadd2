#pragma once
// What the setup guide's steps share: the list with check boxes, the label
// above it, and Escape inside a step reaching the guide.

#include <QRect>

#include <vector>

class CGlazeStatic;
class QStandardItemModel;
class QTreeView;
class QWidget;

namespace console {

// A flat list of checkable rows at `where`, showing `model`, with icons `iconSize` square.
QTreeView* MakeCheckList(QWidget* parent, QStandardItemModel* model, const QRect& where, int iconSize);
// The rows whose box is checked, in list order.
std::vector<int> CheckedRows(const QStandardItemModel& model);
// The dark label above a step's list.
void GuideLabelLook(CGlazeStatic& label, const QRect& where, const char* text);
// Cancels the guide a step sits in (Escape with the focus inside the step).
void CancelGuideOf(QWidget* step);

} // namespace console
