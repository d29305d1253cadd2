#pragma once
// The console's message boxes. Tests switch them to scripted mode, where a
// box is recorded instead of shown and answered from a queue (IDOK when the
// queue is empty), so modal questions never block a test.

#include <QString>

#include <vector>

class QWidget;

namespace console {

enum enMessageBoxType { MB_OK = 0, MB_OKCANCEL = 1, MB_YESNO = 4 };
enum enDialogResult { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

int MessageBox(QWidget* parent, const QString& text, enMessageBoxType type = MB_OK);

// Test seam.
void SetMessageBoxScripted(bool scripted);
void PushMessageBoxAnswer(int answer);
// Every text a scripted box received, oldest first.
std::vector<QString>& ShownMessageBoxes();

} // namespace console
