#pragma once
// Tells a running parent console how the update goes; the console shows a
// notice for each. Nothing happens when no console listens.

namespace update {

enum enUpdateStatus { UPDATE_FAILED = 0, UPDATE_STARTED = 1, UPDATE_FINISHED = 2 };

// The console's window title, which names its mailbox.
constexpr const char* kConsoleTitle = "Tavi儿童保护系统";
constexpr const char* kUpdateStatusMessage = "WM_UPDATESTATUS";

void PostUpdateStatus(enUpdateStatus status);

} // namespace update
