#pragma once
// Where the shell's windows go on the screen.

#include <QRect>

// The whole screen the shell covers.
QRect ScreenRect();
// The screen without the taskbar's strip along the bottom: where maximised
// windows go while the shell runs.
QRect WorkArea();

inline constexpr int kTaskbarHeight = 48;
