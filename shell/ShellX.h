#pragma once
// The shell's X connection: the toolkit's own, borrowed, so that requests
// about foreign windows and the hook's messages travel in order with the
// shell's drawing. Null when the shell does not run on an X server (the
// offscreen platform of in-process tests).

namespace deskguard {
class CXConnection;
}

deskguard::CXConnection* ShellX();
