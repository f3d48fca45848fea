#include "app/Pictures.h"

#include <cmath>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

const COLORREF kKey = RGB(255, 0, 255);

// A 32-bit picture with its mask: opaque where painted, clear elsewhere.
struct Drawn {
    base::UniqueBitmap color, mask;
};

// Calls paint(dc, frame) for each of `frames` square pictures of `size`
// pixels side by side, each clipped to its square and drawn from (0, 0), and
// makes the mask from the pixels that kept the key colour.
template <typename Paint>
Drawn DrawFrames(int size, int frames, Paint paint) {
    const int width = size * frames;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -size;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    Drawn out;
    out.color.reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!out.color) return out;
    {
        base::UniqueDc dc(CreateCompatibleDC(nullptr));
        HGDIOBJ old = SelectObject(dc.get(), out.color.get());
        RECT all{0, 0, width, size};
        base::UniqueBrush key(CreateSolidBrush(kKey));
        FillRect(dc.get(), &all, key.get());
        for (int f = 0; f < frames; ++f) {
            int saved = SaveDC(dc.get());
            SetViewportOrgEx(dc.get(), f * size, 0, nullptr);
            IntersectClipRect(dc.get(), 0, 0, size, size);
            paint(dc.get(), f);
            RestoreDC(dc.get(), saved);
        }
        SelectObject(dc.get(), old);
    }
    GdiFlush();
    auto* px = static_cast<DWORD*>(bits);
    const int stride = ((width + 15) / 16) * 2;
    std::vector<BYTE> mask(static_cast<size_t>(stride * size), 0);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < width; ++x) {
            DWORD& p = px[y * width + x];
            if ((p & 0xFFFFFF) == 0xFF00FF) {
                p = 0;
                mask[static_cast<size_t>(y * stride + x / 8)] |= static_cast<BYTE>(0x80 >> (x % 8));
            } else {
                p |= 0xFF000000;
            }
        }
    }
    out.mask.reset(CreateBitmap(width, size, 1, 1, mask.data()));
    return out;
}

void Disc(HDC dc, int cx, int cy, int r, COLORREF fill, COLORREF edge, int width = 1) {
    base::UniqueBrush brush(CreateSolidBrush(fill));
    HPEN pen = CreatePen(PS_SOLID, width, edge);
    HGDIOBJ ob = SelectObject(dc, brush.get());
    HGDIOBJ op = SelectObject(dc, pen);
    Ellipse(dc, cx - r, cy - r, cx + r + 1, cy + r + 1);
    SelectObject(dc, ob);
    SelectObject(dc, op);
    DeleteObject(pen);
}

void Line(HDC dc, int x1, int y1, int x2, int y2, COLORREF c, int width) {
    HPEN pen = CreatePen(PS_SOLID, width, c);
    HGDIOBJ op = SelectObject(dc, pen);
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
    SelectObject(dc, op);
    DeleteObject(pen);
}

// A globe: the network, reached through the proxy.
void Globe(HDC dc, int s, COLORREF sea, COLORREF lines) {
    int c = s / 2, r = s * 11 / 32;
    Disc(dc, c, c, r, sea, lines, std::max(1, s / 32));
    HGDIOBJ ob = SelectObject(dc, GetStockObject(NULL_BRUSH));
    HPEN pen = CreatePen(PS_SOLID, std::max(1, s / 32), lines);
    HGDIOBJ op = SelectObject(dc, pen);
    Ellipse(dc, c - r / 2, c - r, c + r / 2 + 1, c + r + 1);
    MoveToEx(dc, c - r, c, nullptr);
    LineTo(dc, c + r, c);
    MoveToEx(dc, c, c - r, nullptr);
    LineTo(dc, c, c + r);
    SelectObject(dc, op);
    SelectObject(dc, ob);
    DeleteObject(pen);
}

}  // namespace

namespace {

void PaintState(HDC dc, int index, int s) {
    if (index >= 6) {
        // Direct: a grey globe with a straight cable running past it.
        Globe(dc, s, RGB(190, 190, 190), RGB(90, 90, 90));
        Line(dc, 1, s - 4, s - 2, s - 4, RGB(60, 60, 60), std::max(2, s / 10));
        return;
    }
    // In use: a blue globe with a bright relay dot circling it.
    Globe(dc, s, RGB(40, 120, 220), RGB(10, 50, 120));
    double a = (index * 60.0 - 90.0) * kPi / 180.0;
    int c = s / 2, orbit = s * 13 / 32;
    int x = c + static_cast<int>(std::lround(orbit * std::cos(a)));
    int y = c + static_cast<int>(std::lround(orbit * std::sin(a)));
    Disc(dc, x, y, std::max(3, s / 7), RGB(255, 200, 0), RGB(160, 90, 0));
}

}  // namespace

base::UniqueIcon MakeStateIcon(int index, int size) {
    Drawn d = DrawFrames(size, 1, [&](HDC dc, int) { PaintState(dc, index, size); });
    if (!d.color) return base::UniqueIcon();
    ICONINFO ii{};
    ii.fIcon = TRUE;
    ii.hbmColor = d.color.get();
    ii.hbmMask = d.mask.get();
    return base::UniqueIcon(CreateIconIndirect(&ii));
}

void AddStatePictures(ui::ImageList& list) {
    // One bitmap for all seven and one call to add them: under Wine each icon
    // made and each icon added costs a couple of milliseconds.
    Drawn d = DrawFrames(list.Size(), kStatePictures, [&](HDC dc, int f) { PaintState(dc, f, list.Size()); });
    if (d.color) list.Add(d.color.get(), d.mask.get());
}

void PaintTitle(HDC dc, const RECT& r) {
    // A horizontal gradient band with the program's name on it.
    int w = r.right - r.left;
    for (int x = 0; x < w; ++x) {
        int t = w > 1 ? x * 255 / (w - 1) : 0;
        HPEN pen = CreatePen(PS_SOLID, 1, RGB(20 + t / 4, 70 + t / 3, 160 + t / 4));
        HGDIOBJ op = SelectObject(dc, pen);
        MoveToEx(dc, r.left + x, r.top, nullptr);
        LineTo(dc, r.left + x, r.bottom);
        SelectObject(dc, op);
        DeleteObject(pen);
    }
    int h = r.bottom - r.top;
    // As large as the band allows: the face the system substitutes for Arial
    // may be wider than Arial.
    base::UniqueFont font;
    for (int size = h * 3 / 4; size > 4; --size) {
        font.reset(CreateFontW(-size, 0, 0, 0, FW_BOLD, TRUE, FALSE, FALSE, DEFAULT_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                               DEFAULT_PITCH | FF_SWISS, L"Arial"));
        HGDIOBJ prev = SelectObject(dc, font.get());
        SIZE sz{};
        GetTextExtentPoint32W(dc, L"Quillbarrow", 11, &sz);
        SelectObject(dc, prev);
        // Italic glyphs lean past their advance; keep a margin for that.
        if (sz.cx + size / 3 <= w) break;
    }
    HGDIOBJ of = SelectObject(dc, font.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    RECT tr = r;
    DrawTextW(dc, L"Quillbarrow", -1, &tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, of);
}
