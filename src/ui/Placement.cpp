#include "ui/Placement.h"

#include <algorithm>

namespace ui {

RECT NormalWindowRect(HWND hwnd) {
    RECT r{};
    if (IsIconic(hwnd) || !IsWindowVisible(hwnd)) {
        // A minimised or hidden window reports its normal place through the
        // placement, in workspace coordinates.
        WINDOWPLACEMENT wp{};
        wp.length = sizeof wp;
        GetWindowPlacement(hwnd, &wp);
        r = wp.rcNormalPosition;
        if (!(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW)) {
            MONITORINFO mi{};
            mi.cbSize = sizeof mi;
            if (GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &mi))
                OffsetRect(&r, mi.rcWork.left - mi.rcMonitor.left, mi.rcWork.top - mi.rcMonitor.top);
        }
        return r;
    }
    GetWindowRect(hwnd, &r);
    return r;
}

namespace {

struct CaptionSearch {
    RECT strip;
    LONG minWidth;
    bool found = false;
};

BOOL CALLBACK CaptionOnMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    auto& search = *reinterpret_cast<CaptionSearch*>(data);
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    if (!GetMonitorInfoW(monitor, &mi)) return TRUE;
    const RECT& work = mi.rcWork;
    const RECT& s = search.strip;
    LONG visible = std::min(s.right, work.right) - std::max(s.left, work.left);
    if (s.top >= work.top && s.bottom <= work.bottom && visible >= search.minWidth) search.found = true;
    return !search.found;
}

}  // namespace

void MoveOntoWorkArea(HWND hwnd, int left, int top, int usableCaption) {
    RECT window{};
    GetWindowRect(hwnd, &window);
    POINT client{0, 0};
    ClientToScreen(hwnd, &client);
    int width = window.right - window.left;
    int height = window.bottom - window.top;
    // The strip from the window's top edge down to its client area: the caption.
    CaptionSearch search{{left, top, left + width, top + (client.y - window.top)},
                         std::min<LONG>(width, usableCaption)};
    EnumDisplayMonitors(nullptr, nullptr, CaptionOnMonitor, reinterpret_cast<LPARAM>(&search));
    if (!search.found) {
        RECT r{left, top, left + width, top + height};
        MONITORINFO mi{};
        mi.cbSize = sizeof mi;
        GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &mi);
        const RECT& w = mi.rcWork;
        left = std::max<int>(w.left, std::min<int>(left, w.right - width));
        top = std::max<int>(w.top, std::min<int>(top, w.bottom - height));
    }
    SetWindowPos(hwnd, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace ui
