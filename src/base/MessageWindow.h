#pragma once
// The program's window classes: each registered once per process, here and
// nowhere else, and message-only windows for notifications.
#include <windows.h>

#include "base/Handles.h"

namespace base {

// How a class's windows look; the defaults suit a window that never shows.
struct WindowClassLook {
    HICON icon = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
};

// Registers className with proc unless the class already exists.
void RegisterWindowClass(const wchar_t* className, WNDPROC proc, const WindowClassLook& look = {});

// A message-only window of className (registered with proc if need be):
// it never shows, and broadcasts do not reach it. createParam reaches
// WM_NCCREATE; GWLP_USERDATA holds owner from the start.
UniqueHwnd CreateMessageWindow(const wchar_t* className, WNDPROC proc, void* owner,
                               void* createParam = nullptr);

// The object a window's messages go to, kept in GWLP_USERDATA; on
// WM_NCCREATE it is taken from the create parameter, so the owner sees the
// messages that arrive before CreateWindowExW returns.
template <typename T>
T* WindowOwner(HWND hwnd, UINT msg, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    return reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

}  // namespace base
