#pragma once
// The program's pictures, drawn with GDI at start-up so no image files ship.
#include <windows.h>

#include "ui/Handles.h"

// Frames 0-5 of the "proxy in use" animation, and 6, the direct connection.
ui::UniqueIcon MakeStateIcon(int index, int size);
// The title picture of the main window and the About window.
void PaintTitle(HDC dc, const RECT& r);
