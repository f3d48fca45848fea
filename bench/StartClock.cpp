// The outside clock of `make bench`: starts programs and times them from the
// moment before CreateProcess to their main window being visible, as seen
// from this process, which looks every millisecond for a visible top-level
// window of the started process by its class. (Wine delivers no
// out-of-context WinEvents of another process, so a hook on
// EVENT_OBJECT_SHOW would wait for ever.) It also reads the started
// program's working set and CPU time, and can press Get Proxy in it.
//
//   StartClock start RUNS NAME=CLASS=EXE ...  each program RUNS times, in turn;
//                                        prints "BENCH start_NAME_ms" (median)
//                                        and "BENCH ws_start_NAME_kib" (median)
//   StartClock list CLASS=EXE COUNT      Get Proxy, until the list holds COUNT
//                                        entries; "BENCH ws_list_kib"
//   StartClock animate CLASS=EXE SECONDS the program's CPU over SECONDS while it
//                                        runs untouched; "BENCH tray_cpu_s"
//
// Each started program is closed with WM_CLOSE and waited for.
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

double Ms(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(freq.QuadPart);
}

// A visible, captioned top-level window of class cls that belongs to pid.
HWND VisibleWindow(DWORD pid, const std::wstring& cls) {
    for (HWND h = FindWindowExW(nullptr, nullptr, cls.c_str(), nullptr); h;
         h = FindWindowExW(nullptr, h, cls.c_str(), nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(h, &owner);
        if (owner == pid && IsWindowVisible(h) && (GetWindowLongW(h, GWL_STYLE) & WS_CAPTION) == WS_CAPTION)
            return h;
    }
    return nullptr;
}

// Tests `done` every `step` ms, pumping this thread's messages between, until
// it holds or ms pass.
template <typename Done>
bool PumpUntil(Done done, DWORD ms, DWORD step = 10) {
    ULONGLONG until = GetTickCount64() + ms;
    while (!done()) {
        ULONGLONG now = GetTickCount64();
        if (now >= until) return false;
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(std::min<ULONGLONG>(until - now, step)),
                                    QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    return true;
}

struct Started {
    PROCESS_INFORMATION pi{};
    double ms = -1;
    HWND window = nullptr;
};

// target: CLASS=EXE.
Started Start(const std::wstring& target) {
    Started s;
    size_t eq = target.find(L'=');
    std::wstring cls = target.substr(0, eq), exe = target.substr(eq + 1);
    std::wstring folder = exe.substr(0, exe.find_last_of(L"\\/") + 1);
    std::wstring cmd = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    LARGE_INTEGER before, seen;
    QueryPerformanceCounter(&before);
    if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si,
                        &s.pi)) {
        std::fprintf(stderr, "cannot start %ls (%lu)\n", exe.c_str(), GetLastError());
        return s;
    }
    HWND found = nullptr;
    if (PumpUntil(
            [&] {
                found = VisibleWindow(s.pi.dwProcessId, cls);
                QueryPerformanceCounter(&seen);
                return found != nullptr;
            },
            30000, 1)) {
        s.ms = Ms(before, seen);
        s.window = found;
    }
    return s;
}

void Close(Started& s) {
    if (!s.pi.hProcess) return;
    if (s.window) PostMessageW(s.window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(s.pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(s.pi.hProcess, 1);
    CloseHandle(s.pi.hThread);
    CloseHandle(s.pi.hProcess);
    s.pi = {};
}

double WorkingSetKiB(HANDLE process) {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    if (!GetProcessMemoryInfo(process, &pmc, sizeof pmc)) return -1;
    return static_cast<double>(pmc.WorkingSetSize) / 1024.0;
}

double CpuSeconds(HANDLE process) {
    FILETIME create, exit, kernel, user;
    if (!GetProcessTimes(process, &create, &exit, &kernel, &user)) return -1;
    auto value = [](FILETIME t) {
        return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return value(kernel) + value(user);
}

// Lets the started program finish what it does after its first show.
void Settle(const Started& s, DWORD ms) {
    WaitForInputIdle(s.pi.hProcess, 5000);
    PumpUntil([] { return false; }, ms);
}

double Median(std::vector<double> v) {
    if (v.empty()) return -1;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

std::string Narrow(const std::wstring& w) {
    std::string s;
    for (wchar_t c : w) s += static_cast<char>(c < 128 ? c : '?');
    return s;
}

int StartUp(int runs, const std::vector<std::wstring>& targets) {
    struct Entry {
        std::wstring name, exe;
        std::vector<double> ms, ws;
    };
    std::vector<Entry> entries;
    for (const std::wstring& target : targets) {
        size_t eq = target.find(L'=');
        if (eq == std::wstring::npos || target.find(L'=', eq + 1) == std::wstring::npos) return 2;
        entries.push_back({target.substr(0, eq), target.substr(eq + 1), {}, {}});
    }
    // One start of each that is not counted: the files come into the cache.
    for (Entry& e : entries) {
        Started s = Start(e.exe);
        Settle(s, 200);
        Close(s);
    }
    for (int run = 0; run < runs; ++run) {
        for (Entry& e : entries) {
            Started s = Start(e.exe);
            if (s.ms >= 0) {
                e.ms.push_back(s.ms);
                Settle(s, 300);
                e.ws.push_back(WorkingSetKiB(s.pi.hProcess));
            }
            std::printf("run %d %s %.1f ms\n", run, Narrow(e.name).c_str(), s.ms);
            Close(s);
        }
    }
    for (const Entry& e : entries) {
        std::string name = Narrow(e.name);
        std::printf("BENCH start_%s_ms %.1f\n", name.c_str(), Median(e.ms));
        std::printf("BENCH ws_start_%s_kib %.0f\n", name.c_str(), Median(e.ws));
    }
    return 0;
}

HWND Child(HWND parent, const wchar_t* cls, const wchar_t* caption) {
    return FindWindowExW(parent, nullptr, cls, caption);
}

int List(const std::wstring& exe, int count) {
    Started s = Start(exe);
    if (!s.window) return 1;
    Settle(s, 300);
    HWND button = Child(s.window, L"Button", L"Get Proxy (&G)");
    // The second drop-down list of the window is the editable list of proxies.
    HWND combo =
        FindWindowExW(s.window, FindWindowExW(s.window, nullptr, L"ComboBox", nullptr), L"ComboBox", nullptr);
    if (!button || !combo) {
        std::fprintf(stderr, "Get Proxy or the list not found\n");
        Close(s);
        return 1;
    }
    PostMessageW(button, BM_CLICK, 0, 0);
    bool listed = PumpUntil(
        [&] {
            DWORD_PTR n = 0;
            SendMessageTimeoutW(combo, CB_GETCOUNT, 0, 0, SMTO_NORMAL, 1000, &n);
            return static_cast<int>(n) >= count;
        },
        60000);
    if (listed) {
        Settle(s, 300);
        std::printf("BENCH ws_list_kib %.0f\n", WorkingSetKiB(s.pi.hProcess));
    } else {
        std::fprintf(stderr, "the list never held %d entries\n", count);
    }
    Close(s);
    return listed ? 0 : 1;
}

int Animate(const std::wstring& exe, int seconds) {
    Started s = Start(exe);
    if (!s.window) return 1;
    Settle(s, 1000);
    double before = CpuSeconds(s.pi.hProcess);
    PumpUntil([] { return false; }, static_cast<DWORD>(seconds) * 1000);
    double after = CpuSeconds(s.pi.hProcess);
    std::printf("BENCH tray_cpu_s %.3f\n", after - before);
    Close(s);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Programs under Wine get argv through the ANSI code page; the command
    // line itself keeps every character.
    argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    int rc = 2;
    std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"start" && argc > 3) {
        rc = StartUp(_wtoi(argv[2]), std::vector<std::wstring>(argv + 3, argv + argc));
    } else if (mode == L"list" && argc == 4) {
        rc = List(argv[2], _wtoi(argv[3]));
    } else if (mode == L"animate" && argc == 4) {
        rc = Animate(argv[2], _wtoi(argv[3]));
    } else {
        std::fprintf(stderr,
                     "usage: StartClock start RUNS NAME=CLASS=EXE... | list CLASS=EXE COUNT | animate "
                     "CLASS=EXE SECONDS\n");
    }
    std::fflush(stdout);
    return rc;
}
