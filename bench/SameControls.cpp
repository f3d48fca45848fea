// A floor for the main window's start-up under `make bench`: the same native
// work as its first show, done the cheapest way Win32 allows. The layout
// table's 20 controls and a status bar of two panels in the Japanese UI font
// (two radio buttons turned on, the browsers listed), an image list of 7
// images added from one bitmap in one call, a tray icon, shown and painted
// once.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <initializer_list>
#include <vector>

namespace {

struct Row {
    const wchar_t* cls;
    DWORD style;
    int x, y, w, h;
    const wchar_t* caption;
};

constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kRadio = BS_AUTORADIOBUTTON | WS_TABSTOP;
constexpr DWORD kGroup = BS_GROUPBOX | WS_GROUP;
constexpr DWORD kBrowsers = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
// The radio buttons that a first start turns on.
constexpr const wchar_t* kAnonymous = L"Anonymous";
constexpr const wchar_t* kNoVariables = L"No Outputed Variables";

// Form coordinates (group box offsets already added).
const Row kRows[] = {
    {L"BUTTON", kGroup, 8, 8, 129, 89, L"ProxyType"},
    {L"BUTTON", kRadio | WS_GROUP, 16, 24, 113, 17, kAnonymous},
    {L"BUTTON", kRadio, 16, 48, 113, 17, L"Non-Anonymous"},
    {L"BUTTON", kRadio, 16, 72, 113, 17, L"Speed Ranking"},
    {L"BUTTON", kGroup, 144, 8, 153, 89, L"Option"},
    {L"BUTTON", kRadio | WS_GROUP, 152, 24, 113, 17, L"All Proxy"},
    {L"BUTTON", kRadio, 152, 40, 137, 17, kNoVariables},
    {L"BUTTON", kRadio, 152, 56, 129, 17, L"Outputed Variables"},
    {L"BUTTON", kRadio, 152, 72, 129, 17, L"Camouflaged Address"},
    {L"BUTTON", kGroup, 304, 8, 129, 41, L"Browser"},
    {L"COMBOBOX", kBrowsers, 312, 24, 113, 220, L""},
    {L"BUTTON", kButton, 328, 74, 97, 22, L"Setting (&S)"},
    {L"BUTTON", kGroup, 8, 100, 425, 72, L"ProxyInformation"},
    {L"COMBOBOX", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, 16, 116, 305, 220, L""},
    {L"BUTTON", kButton, 328, 116, 97, 22, L"Get Proxy (&G)"},
    {L"BUTTON", kButton, 16, 142, 97, 22, L"Set Default (&A)"},
    {L"BUTTON", kButton, 120, 142, 97, 22, L"Use Default (&D)"},
    {L"BUTTON", kButton, 224, 142, 97, 22, L"Test (&C)"},
    {L"BUTTON", kButton, 328, 142, 97, 22, L"Use Proxy (&P)"},
    {L"STATIC", SS_ETCHEDFRAME, 328, 52, 97, 17, L""},
};

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"BenchSameControls";
    RegisterClassExW(&wc);
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT r{0, 0, 440, 201};
    AdjustWindowRectEx(&r, style, FALSE, WS_EX_CONTROLPARENT);
    HWND hwnd = CreateWindowExW(WS_EX_CONTROLPARENT, wc.lpszClassName, L"Same controls", style, 300, 300,
                                r.right - r.left, r.bottom - r.top, nullptr, nullptr, instance, nullptr);

    LOGFONTW lf{};
    lf.lfHeight = -12;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    wcscpy_s(lf.lfFaceName, L"ＭＳ Ｐゴシック");
    HFONT font = CreateFontIndirectW(&lf);
    int id = 100;
    HWND browsers = nullptr;
    for (const Row& row : kRows) {
        HWND c = CreateWindowExW(0, row.cls, row.caption, WS_CHILD | WS_VISIBLE | row.style, row.x, row.y,
                                 row.w, row.h, hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id++)),
                                 instance, nullptr);
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (!browsers && row.style == kBrowsers) browsers = c;
        if (row.caption == kAnonymous || row.caption == kNoVariables)
            SendMessageW(c, BM_SETCHECK, BST_CHECKED, 0);
    }
    for (const wchar_t* item : {L"Internet Explorer", L"Google Chrome", L"Mozilla Firefox", L"Opera"})
        SendMessageW(browsers, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    SendMessageW(browsers, CB_SETCURSEL, 0, 0);
    HWND status =
        CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | CCS_BOTTOM, 0, 0, 0, 0, hwnd,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id++)), instance, nullptr);
    SendMessageW(status, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    int parts[] = {80, -1};
    SendMessageW(status, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
    SendMessageW(status, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(L"Not Obtained"));
    SendMessageW(status, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(L"Direct Connection"));

    // Seven 32 x 32 images side by side, a different grey each.
    HIMAGELIST images = ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 7, 0);
    std::vector<DWORD> pixels(7 * 32 * 32);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = 0xFF000000 | 0x242424 * static_cast<DWORD>(i % 224 / 32);
    HBITMAP strip = CreateBitmap(7 * 32, 32, 1, 32, pixels.data());
    ImageList_Add(images, strip, nullptr);
    DeleteObject(strip);

    NOTIFYICONDATAW tray{};
    tray.cbSize = sizeof tray;
    tray.hWnd = hwnd;
    tray.uID = 1;
    tray.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    tray.uCallbackMessage = WM_APP;
    tray.hIcon = ImageList_GetIcon(images, 6, ILD_NORMAL);
    wcscpy_s(tray.szTip, L"Same controls\nDirect");
    Shell_NotifyIconW(NIM_ADD, &tray);

    ShowWindow(hwnd, show);
    UpdateWindow(hwnd);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(hwnd, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    Shell_NotifyIconW(NIM_DELETE, &tray);
    DestroyIcon(tray.hIcon);
    ImageList_Destroy(images);
    DeleteObject(font);
    return 0;
}
