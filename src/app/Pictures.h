#pragma once
// The program's pictures, drawn with GDI at start-up so no image files ship.
#include <windows.h>

#include "ui/Controls.h"
#include "base/Handles.h"

// Frames 0-5 of the "proxy in use" animation, and 6, the direct connection.
constexpr int kStatePictures = 7;
base::UniqueIcon MakeStateIcon(int index, int size);
// Appends the seven pictures to the list, at its size.
void AddStatePictures(ui::ImageList& list);
// The title picture of the main window and the About window.
void PaintTitle(HDC dc, const RECT& r);
