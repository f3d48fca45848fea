// Presses a button in another program's window, for the demo on a virtual
// screen where nobody can click:
//
//   PressButton.exe <window title prefix> <button caption> [seconds to wait]
//   PressButton.exe <window title prefix> --drop <n>
//
// Waits for a visible top-level window whose title starts with the prefix,
// then posts BM_CLICK to its first child button with exactly that caption
// (ampersand included). Posted rather than sent: the button's handler may run
// for as long as a page fetch, and this program need not wait for it. With
// --drop it drops down the window's n-th drop-down list (from 0) instead.
#include <windows.h>

#include <string>

namespace {

struct Search {
    std::wstring text;
    bool prefix;
    HWND found = nullptr;
};

std::wstring TextOf(HWND hwnd) {
    wchar_t buffer[512] = {};
    GetWindowTextW(hwnd, buffer, 512);
    return buffer;
}

BOOL CALLBACK Match(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    const std::wstring text = TextOf(hwnd);
    const bool hit = search->prefix ? text.rfind(search->text, 0) == 0 : text == search->text;
    if (hit && IsWindowVisible(hwnd)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

struct ComboSearch {
    int skip;  // combo boxes still to pass
    HWND found = nullptr;
};

BOOL CALLBACK NthCombo(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<ComboSearch*>(param);
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    if (std::wstring(cls) != L"ComboBox" || search->skip-- > 0) return TRUE;
    search->found = hwnd;
    return FALSE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    if (std::wstring(argv[2]) == L"--drop" && argc > 3) {
        Search window{argv[1], true};
        EnumWindows(Match, reinterpret_cast<LPARAM>(&window));
        ComboSearch combo{_wtoi(argv[3])};
        if (window.found) EnumChildWindows(window.found, NthCombo, reinterpret_cast<LPARAM>(&combo));
        if (!combo.found) return 1;
        PostMessageW(combo.found, CB_SHOWDROPDOWN, TRUE, 0);
        return 0;
    }
    const int seconds = argc > 3 ? _wtoi(argv[3]) : 30;
    const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(seconds) * 1000;
    do {
        Search window{argv[1], true};
        EnumWindows(Match, reinterpret_cast<LPARAM>(&window));
        if (window.found) {
            Search button{argv[2], false};
            EnumChildWindows(window.found, Match, reinterpret_cast<LPARAM>(&button));
            if (button.found && IsWindowEnabled(button.found)) {
                PostMessageW(button.found, BM_CLICK, 0, 0);
                return 0;
            }
        }
        Sleep(100);
    } while (GetTickCount64() < until);
    return 1;
}
