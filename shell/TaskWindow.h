#pragma once
// What the taskbar does to the window of a task, through the window manager.

// Restores and raises a minimised window, minimises any other.
void ToggleTaskWindow(unsigned long window);
void RestoreTaskWindow(unsigned long window);
void MinimiseTaskWindow(unsigned long window);
void MaximiseTaskWindow(unsigned long window);
// Asks the window to close, as a window manager's close does (a window that
// cannot be asked loses its connection); a window that ignores it stays.
void CloseTaskWindow(unsigned long window);
