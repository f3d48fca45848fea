#include "e2e/Remote.h"

#include <commctrl.h>

#include "base/Text.h"
#include "support/Scratch.h"

namespace e2e {

bool WaitFor(const std::function<bool()>& done, int ms) {
    const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(ms);
    for (;;) {
        if (done()) return true;
        if (GetTickCount64() >= until) return false;
        Sleep(10);
    }
}

std::wstring TextOf(HWND hwnd) {
    wchar_t buffer[1024] = {};
    DWORD_PTR copied = 0;
    // A hung target must fail the step, not the whole run.
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000,
                        &copied);
    return buffer;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t buffer[256] = {};
    GetClassNameW(hwnd, buffer, 256);
    return buffer;
}

namespace {

struct TopSearch {
    DWORD pid;
    const std::wstring* prefix;
    const wchar_t* cls;
    bool exact = false;
    HWND found = nullptr;
};

BOOL CALLBACK MatchTop(HWND hwnd, LPARAM param) {
    auto* s = reinterpret_cast<TopSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (s->pid && pid != s->pid) return TRUE;
    if (!IsWindowVisible(hwnd)) return TRUE;
    if (s->cls && _wcsicmp(ClassOf(hwnd).c_str(), s->cls) != 0) return TRUE;
    const std::wstring text = TextOf(hwnd);
    if (s->exact ? text != *s->prefix : text.rfind(*s->prefix, 0) != 0) return TRUE;
    s->found = hwnd;
    return FALSE;
}

}  // namespace

HWND FindTopLevel(DWORD pid, const std::wstring& prefix, const wchar_t* cls) {
    TopSearch s{pid, &prefix, cls};
    EnumWindows(MatchTop, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND WaitTopLevel(DWORD pid, const std::wstring& prefix, int ms, const wchar_t* cls) {
    HWND found = nullptr;
    WaitFor([&] { return (found = FindTopLevel(pid, prefix, cls)) != nullptr; }, ms);
    return found;
}

HWND WaitTopLevelExactly(DWORD pid, const std::wstring& caption, int ms) {
    TopSearch s{pid, &caption, nullptr, true};
    WaitFor([&] { return EnumWindows(MatchTop, reinterpret_cast<LPARAM>(&s)), s.found != nullptr; }, ms);
    return s.found;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> out;
    for (HWND w = GetWindow(parent, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) out.push_back(w);
    return out;
}

HWND Child(HWND parent, const wchar_t* cls, const wchar_t* caption) {
    for (HWND w : Children(parent)) {
        if (_wcsicmp(ClassOf(w).c_str(), cls) == 0 && (!caption || TextOf(w) == caption)) return w;
    }
    return nullptr;
}

HWND NthChild(HWND parent, const wchar_t* cls, int n) {
    for (HWND w : Children(parent)) {
        if (_wcsicmp(ClassOf(w).c_str(), cls) == 0 && n-- == 0) return w;
    }
    return nullptr;
}

std::wstring PanelText(HWND statusBar, int panel) {
    DWORD pid = 0;
    GetWindowThreadProcessId(statusBar, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ, FALSE, pid);
    if (!process) return L"<no access>";
    constexpr size_t kChars = 512;
    void* remote = VirtualAllocEx(process, nullptr, kChars * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE);
    std::wstring text;
    if (remote) {
        auto length = LOWORD(SendMessageW(statusBar, SB_GETTEXTLENGTHW, panel, 0));
        if (length < kChars) {
            SendMessageW(statusBar, SB_GETTEXTW, panel, reinterpret_cast<LPARAM>(remote));
            text.resize(length);
            SIZE_T read = 0;
            ReadProcessMemory(process, remote, text.data(), length * sizeof(wchar_t), &read);
        }
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return text;
}

std::vector<std::wstring> ComboItems(HWND combo) {
    std::vector<std::wstring> items;
    auto count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        // CB_GETLBTEXT is one of the messages the system carries across processes.
        std::wstring item(static_cast<size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
        auto n = SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
        item.resize(n > 0 ? static_cast<size_t>(n) : 0);
        items.push_back(item);
    }
    return items;
}

bool Checked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

void MousePress(HWND control, bool right) {
    const LPARAM at = MAKELPARAM(5, 5);
    PostMessageW(control, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, at);
    PostMessageW(control, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, at);
}

void Key(HWND target, UINT vk) {
    const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    PostMessageW(target, WM_KEYDOWN, vk, 1 | (scan << 16));
    PostMessageW(target, WM_KEYUP, vk, 1 | (scan << 16) | 0xC0000000);
}

void Type(HWND edit, const std::wstring& text) {
    for (wchar_t c : text) PostMessageW(edit, WM_CHAR, c, 1);
}

void Alt(HWND window, wchar_t letter) {
    // Bit 29: the Alt key is down, as the system marks a WM_SYSCHAR.
    PostMessageW(window, WM_SYSCHAR, letter, 1 | (1 << 29));
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    DWORD thread = GetWindowThreadProcessId(window, nullptr);
    return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

std::string CopyProgramTo(const std::string& name) {
    const std::string folder = scratch::HelperProgram("e2e-scratch\\" + name);
    scratch::MakeFolders(folder);
    DeleteFileW(base::Widen(folder + "\\Quillbarrow.ini").c_str());
    CopyFileW(base::Widen(scratch::HelperProgram("Quillbarrow.exe")).c_str(),
              base::Widen(folder + "\\Quillbarrow.exe").c_str(), FALSE);
    return folder;
}

Process::Process(std::wstring line, const std::string& folder) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                   folder.empty() ? nullptr : base::Widen(folder).c_str(), &si, &pi);
}

Process::~Process() {
    if (!pi.hProcess) return;
    TerminateProcess(pi.hProcess, 1);
    WaitForSingleObject(pi.hProcess, INFINITE);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
}

DWORD Process::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (pi.hProcess && WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &code);
    return code;
}

bool Process::Running() const { return pi.hProcess && WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT; }

ProgramCopy::ProgramCopy(const std::string& folder)
    : Process(L"\"" + base::Widen(folder + "\\Quillbarrow.exe") + L"\"", folder) {}

HWND ProgramCopy::MainWindow(int ms) const {
    return pi.hProcess ? WaitTopLevel(pi.dwProcessId, L"Quillbarrow2012 for", ms) : nullptr;
}

RegFile InternetSettings() {
    return RegFile("Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings");
}

}  // namespace e2e
