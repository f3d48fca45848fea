#include "base/MessageWindow.h"

#include "base/Error.h"

namespace base {

void RegisterWindowClass(const wchar_t* className, WNDPROC proc, const WindowClassLook& look) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(instance, className, &wc)) return;
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.lpszClassName = className;
    wc.hIcon = look.icon;
    wc.hCursor = look.cursor;
    wc.hbrBackground = look.background;
    RegisterClassExW(&wc);
}

UniqueHwnd CreateMessageWindow(const wchar_t* className, WNDPROC proc, void* owner, void* createParam) {
    RegisterWindowClass(className, proc);
    UniqueHwnd window(CreateWindowExW(WS_EX_TOOLWINDOW, className, L"", WS_POPUP, 0, 0, 0, 0, HWND_MESSAGE,
                                      nullptr, GetModuleHandleW(nullptr), createParam));
    if (!window) throw EOutOfResources("Cannot create the notification window");
    if (owner) SetWindowLongPtrW(window.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    return window;
}

}  // namespace base
