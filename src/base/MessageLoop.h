#pragma once
// The application's message loop and the pump that waits use.
#include <windows.h>

namespace base {

// Runs the message loop until PostQuitMessage; returns the exit code.
int RunMessageLoop();

// Dispatches every pending message and returns (never blocks). Returns false
// when WM_QUIT was seen; the quit is posted again so the outer loop ends too.
bool ProcessMessages();

// Blocks until a message arrives for this thread or timeoutMs passes,
// without spinning; then pumps whatever is pending. INFINITE waits forever.
void WaitForMessages(DWORD timeoutMs);

// Translates and dispatches one message, giving dialog windows their turn.
void DispatchOne(MSG& msg);

// Dialog navigation (Tab, accelerators, Enter, Esc) for a window whose
// messages the loop should route through IsDialogMessage.
void RegisterDialogWindow(HWND hwnd);
void UnregisterDialogWindow(HWND hwnd);

}  // namespace base
