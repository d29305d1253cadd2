#pragma once
// DeskGuard: the child shell's guard over the X session.
//
// The shell calls these functions in this order: DG_Init once, before its
// main window exists; DG_ShellHookInstall with its main window;
// DG_ShowSysBar(0) from its 200 ms timer; DG_SystemShutdown from the exit
// dialog; DG_ShellHookUnistall when it stops tracking windows; DG_UnInit
// last. The functions may be called from any thread and never throw.
//
// Messages of the shell hook. For every top-level client window that
// appears or goes away in the X session (CShellHook.h says which windows
// count), the hook posts an X ClientMessage event to the shell's window:
//   type    the atom named DG_SHELL_HOOK_ATOM ("_WARROW_SHELL_HOOK")
//   format  32
//   window  the shell's window
//   data.data32[0]  WM_DG_WINDOWCREATED or WM_DG_WINDOWDESTROYED
//   data.data32[1]  the window's id
//   data.data32[2]  0 for a top-level window; DG_WINDOW_OTHER for another
//                   window a program shows (an override-redirect window,
//                   or one inside another program's window): the shell
//                   judges its program but makes no task of it, and no
//                   WM_DG_WINDOWDESTROYED follows it
// It arrives through the shell's own X connection, so a toolkit's native
// event filter sees it in order with the shell's other events. The send
// flag is set as on every sent event; anyone can send such an event, so the
// shell treats a message as a hint and checks the window itself.
// The shell's other windows (dialogs, its taskbar) are reported too: the
// shell skips windows whose process id (WindowProcess.h) is its own.
//
// The X-level operations the shell needs on single windows are in
// WindowProcess.h, WindowTitle.h, WindowClose.h, WindowState.h and
// DockWindow.h.

inline constexpr unsigned WM_DG_WINDOWCREATED = 2258;
inline constexpr unsigned WM_DG_WINDOWDESTROYED = 2259;
inline constexpr unsigned DG_WINDOW_OTHER = 1;
inline constexpr char DG_SHELL_HOOK_ATOM[] = "_WARROW_SHELL_HOOK";

extern "C" {

// Prepares the library; `instance` is not used. Always true.
bool DG_Init(void* instance);

// Starts posting hook messages to `window` (an X window id). Returns 0 when
// no X server answers ($DISPLAY), the X-Resource extension is missing or
// `window` does not exist; non-zero otherwise. A second call replaces the
// first hook (which ends even when the second call fails).
int DG_ShellHookInstall(unsigned long window);

// Stops the hook; no message is posted after it returns.
void DG_ShellHookUnistall();

// 0: unmaps every panel of the session that is not the caller's own (dock
// windows and windows that reserve a screen edge) and remembers them; a
// panel restarted since the last call is hidden again. Any other value maps
// the remembered panels again.
void DG_ShowSysBar(int show);

// 0 powers the computer off, 1 reboots it, through logind
// (org.freedesktop.login1.Manager PowerOff / Reboot, not interactive).
// When $WARROW_SHUTDOWN_COMMAND is set and not empty, the action runs
//   /bin/sh -c "$WARROW_SHUTDOWN_COMMAND" warrow-shutdown poweroff|reboot
// instead (the action is "$1" inside the command), and the call waits for
// it. Returns non-zero when the request was accepted (the command ended
// with status 0); 0 for any other argument or on failure.
int DG_SystemShutdown(int how);

// Stops the hook, maps the panels hidden by DG_ShowSysBar again and closes
// the library's X connection.
void DG_UnInit();

} // extern "C"
