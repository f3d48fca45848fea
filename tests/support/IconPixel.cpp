#include "support/IconPixel.h"

#include "base/Handles.h"

namespace qbtest {

COLORREF IconPixel(HICON icon, int x, int y, COLORREF background) {
    base::UniqueDc dc(CreateCompatibleDC(nullptr));
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 32, -32, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    base::UniqueBitmap dib(CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    HGDIOBJ old = SelectObject(dc.get(), dib.get());
    RECT all{0, 0, 32, 32};
    base::UniqueBrush fill(CreateSolidBrush(background));
    FillRect(dc.get(), &all, fill.get());
    DrawIconEx(dc.get(), 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
    COLORREF c = GetPixel(dc.get(), x, y);
    SelectObject(dc.get(), old);
    return c;
}

}  // namespace qbtest
