#include "net/HiddenWindow.h"

#include "net/SockErrors.h"

namespace net {

ui::UniqueHwnd CreateHiddenWindow(const wchar_t* className, WNDPROC proc, void* owner) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(instance, className, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = proc;
        wc.hInstance = instance;
        wc.lpszClassName = className;
        RegisterClassExW(&wc);
    }
    // Message-only: the window never shows, and broadcasts do not reach it.
    ui::UniqueHwnd window(CreateWindowExW(WS_EX_TOOLWINDOW, className, L"", WS_POPUP, 0, 0, 0, 0,
                                          HWND_MESSAGE, nullptr, instance, nullptr));
    if (!window) throw EOutOfResources("Cannot create the notification window");
    SetWindowLongPtrW(window.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    return window;
}

}  // namespace net
