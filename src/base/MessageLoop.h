#pragma once
// The application's message loop and the pump that waits use.
#include <windows.h>

#include <functional>

namespace base {

// Runs the message loop until PostQuitMessage; returns the exit code.
int RunMessageLoop();

// Dispatches every pending message and returns (never blocks). Returns false
// when WM_QUIT was seen; the quit is posted again so the outer loop ends too.
bool ProcessMessages();
// The same, but returns as soon as enough() holds after a message, leaving
// the rest queued for the next pump: under Wine the peek that finds the queue
// empty is one more round trip to the wineserver.
bool ProcessMessagesUntil(const std::function<bool()>& enough);

// Blocks until a message arrives for this thread or timeoutMs passes,
// without spinning; then pumps whatever is pending. INFINITE waits forever.
void WaitForMessages(DWORD timeoutMs);

// Translates and dispatches one message, giving dialog windows their turn.
void DispatchOne(MSG& msg);

// Dialog navigation (Tab, accelerators, Enter, Esc) for a window whose
// messages the loop should route through IsDialogMessage.
void RegisterDialogWindow(HWND hwnd);
void UnregisterDialogWindow(HWND hwnd);
// Keys that run a registered window's commands while it or one of its
// controls has the keyboard, translated before the dialog navigation (which
// would hand them to the focused control). Null takes them away.
void SetAccelerators(HWND hwnd, HACCEL table);

}  // namespace base
