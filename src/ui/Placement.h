#pragma once
// Where a top-level window stands on the monitors, and where it may be put.
#include <windows.h>

namespace ui {

// The window's rectangle in screen pixels; for a minimised or hidden window,
// the one it has when shown normally.
RECT NormalWindowRect(HWND hwnd);

// Moves a window to a stored position. A position where less than
// `usableCaption` pixels of the caption (or its whole width, when narrower)
// would be on a monitor's work area (the monitors changed since it was
// stored, or the file was edited) is brought onto the nearest work area
// instead, so that the user can always reach it.
void MoveOntoWorkArea(HWND hwnd, int left, int top, int usableCaption);

}  // namespace ui
