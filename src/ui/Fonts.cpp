#include "ui/Fonts.h"

#include "base/Text.h"

namespace ui {

namespace {
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
}  // namespace

int WindowDpi(HWND hwnd) {
    static auto fn = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (fn && hwnd) {
        UINT dpi = fn(hwnd);
        if (dpi) return static_cast<int>(dpi);
    }
    HDC dc = GetDC(nullptr);
    int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return dpi > 0 ? dpi : 96;
}

base::UniqueFont CreateUiFont(int pixelHeight, int dpi) {
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(pixelHeight, dpi, 96);
    lf.lfCharSet = SHIFTJIS_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    wcscpy_s(lf.lfFaceName, L"ＭＳ Ｐゴシック");
    base::UniqueFont font(CreateFontIndirectW(&lf));
    // The system maps a missing face to whatever it likes; keep the font only
    // when what it picked really carries Japanese glyphs.
    if (font) {
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, font.get());
        int charset = GetTextCharset(dc);
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        if (charset == SHIFTJIS_CHARSET) return font;
    }
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    ncm.lfMessageFont.lfHeight = lf.lfHeight;
    return base::UniqueFont(CreateFontIndirectW(&ncm.lfMessageFont));
}

SIZE TextExtent(HFONT font, const std::wstring& text) {
    // One memory DC for every measurement: a window's DC is fetched and given
    // back through the wineserver each time, and a form measures a dozen
    // captions while it is built. Sizes in pixels do not depend on the DC.
    static const base::UniqueDc dc(CreateCompatibleDC(nullptr));
    HGDIOBJ old = SelectObject(dc.get(), font);
    SIZE sz{};
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &sz);
    SelectObject(dc.get(), old);
    return sz;
}

int TextWidth(HFONT font, const std::string& text) {
    std::wstring wide = base::Widen(text);
    std::erase(wide, L'&');
    return TextExtent(font, wide).cx;
}

std::string WindowText(HWND hwnd) {
    int n = GetWindowTextLengthW(hwnd);
    std::wstring buf(static_cast<size_t>(n) + 1, L'\0');
    n = GetWindowTextW(hwnd, buf.data(), n + 1);
    buf.resize(static_cast<size_t>(n));
    return base::Narrow(buf);
}

}  // namespace ui
