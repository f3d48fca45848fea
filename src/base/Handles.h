#pragma once
// Owners for the Win32 handle kinds the program uses.
#include <windows.h>
#include <cstdio>

#include "base/Owned.h"

namespace base {

namespace detail {
inline void CloseHkey(HKEY h) { RegCloseKey(h); }
inline void CloseKernel(HANDLE h) { CloseHandle(h); }
inline void DestroyHwnd(HWND h) { DestroyWindow(h); }
inline void DeleteGdi(HGDIOBJ h) { DeleteObject(h); }
inline void DeleteFont(HFONT h) { DeleteObject(h); }
inline void DeleteBitmap(HBITMAP h) { DeleteObject(h); }
inline void DeleteBrush(HBRUSH h) { DeleteObject(h); }
inline void DestroyIconHandle(HICON h) { DestroyIcon(h); }
inline void DestroyMenuHandle(HMENU h) { DestroyMenu(h); }
inline void DestroyAccelerators(HACCEL h) { DestroyAcceleratorTable(h); }
inline void CloseFile(FILE* f) { fclose(f); }
inline void DeleteDc(HDC h) { DeleteDC(h); }
inline void FreeLocal(void* p) { LocalFree(p); }
}  // namespace detail

using UniqueHkey = Owned<HKEY, detail::CloseHkey>;
using UniqueHandle = Owned<HANDLE, detail::CloseKernel>;
using UniqueHwnd = Owned<HWND, detail::DestroyHwnd>;
using UniqueFont = Owned<HFONT, detail::DeleteFont>;
using UniqueBitmap = Owned<HBITMAP, detail::DeleteBitmap>;
using UniqueBrush = Owned<HBRUSH, detail::DeleteBrush>;
using UniqueIcon = Owned<HICON, detail::DestroyIconHandle>;
using UniqueMenu = Owned<HMENU, detail::DestroyMenuHandle>;
using UniqueAccel = Owned<HACCEL, detail::DestroyAccelerators>;
using UniqueFile = Owned<FILE*, detail::CloseFile>;
using UniqueDc = Owned<HDC, detail::DeleteDc>;
// Memory the system allocated with LocalAlloc for the caller.
using UniqueLocal = Owned<void*, detail::FreeLocal>;

}  // namespace base
