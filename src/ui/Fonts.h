#pragma once
// A window's scale, the forms' font, and the texts of windows and their widths.
#include <windows.h>

#include <string>

#include "base/Handles.h"

namespace ui {

// The DPI of a window (96 when the system cannot tell).
int WindowDpi(HWND hwnd);

// Creates the form's font: "ＭＳ Ｐゴシック" 12 px in the Shift-JIS set when
// the system has it, else the system's message font at the same height.
base::UniqueFont CreateUiFont(int pixelHeight, int dpi);

// The size of a text drawn in a font, every character counted.
SIZE TextExtent(HFONT font, const std::wstring& text);

// The width of a caption in a font; the accelerator's "&" is not drawn.
int TextWidth(HFONT font, const std::string& text);

// A window's text: a control's contents or a top-level window's caption.
std::string WindowText(HWND hwnd);

}  // namespace ui
