#pragma once

#include <windows.h>

namespace qbtest {

// The colour at (x, y) of a 32x32 icon drawn over `background`.
COLORREF IconPixel(HICON icon, int x, int y, COLORREF background);

}  // namespace qbtest
