// A second start while the program runs, from a copy in another folder: the
// running window comes back from the notification area, the second process
// ends with 0 and leaves no window, icon or settings file; a start after the
// first has died works as usual.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "e2e/Remote.h"
#include "support/Scratch.h"
#include "base/Text.h"

using namespace e2e;

namespace {

constexpr int kMs = 30000;  // only a hang runs out of this; a cold Wine may take seconds

// One start of the real program from its own copy; killed at the end if still running.
struct Copy {
    explicit Copy(const std::string& folder) {
        std::wstring exe = base::Widen(folder + "\\Quillbarrow.exe");
        std::wstring line = L"\"" + exe + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof si;
        CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       base::Widen(folder).c_str(), &si, &pi);
    }
    ~Copy() {
        if (!pi.hProcess) return;
        TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, INFINITE);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    DWORD ExitCode() const {
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(pi.hProcess, kMs) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
        return code;
    }
    HWND MainWindow() const { return WaitTopLevel(pi.dwProcessId, L"Quillbarrow2012 for", kMs); }
    PROCESS_INFORMATION pi{};
};

std::string CopyProgramTo(const std::string& name) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::string build = base::Narrow(self).substr(0, base::Narrow(self).find_last_of('\\'));
    const std::string folder = build + "\\e2e-scratch\\" + name;
    scratch::MakeFolders(folder);
    DeleteFileW(base::Widen(folder + "\\Quillbarrow.ini").c_str());
    CopyFileW(base::Widen(build + "\\Quillbarrow.exe").c_str(), base::Widen(folder + "\\Quillbarrow.exe").c_str(),
              FALSE);
    return folder;
}

// Visible main windows of any process, and the icons in Wine's stand-alone
// notification area (one child window each).
int MainWindows() {
    int n = 0;
    EnumWindows(
        [](HWND w, LPARAM count) {
            if (IsWindowVisible(w) && TextOf(w).rfind(L"Quillbarrow2012 for", 0) == 0) ++*reinterpret_cast<int*>(count);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&n));
    return n;
}

int TrayIcons() {
    int n = 0;
    HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
    for (HWND w = tray ? GetWindow(tray, GW_CHILD) : nullptr; w; w = GetWindow(w, GW_HWNDNEXT))
        n += ClassOf(w) == L"__winex11_tray_icon";
    return n;
}

}  // namespace

TEST(SecondStart, BringsTheRunningWindowBackAndEnds) {
    const std::string here = CopyProgramTo("first"), there = CopyProgramTo("second");
    auto first = std::make_unique<Copy>(here);
    HWND w = first->MainWindow();
    ASSERT_TRUE(w);
    ASSERT_TRUE(WaitFor([] { return TrayIcons() == 1; }, kMs));
    PostMessageW(w, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(w); }, kMs));

    // The running copy does not answer while the second starts: nothing waits on it.
    SuspendThread(first->pi.hThread);
    EXPECT_EQ(Copy(there).ExitCode(), 0u);
    ResumeThread(first->pi.hThread);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(w) && !IsIconic(w); }, kMs));
    EXPECT_EQ(MainWindows(), 1);
    EXPECT_EQ(TrayIcons(), 1);
    EXPECT_FALSE(scratch::Exists(there + "\\Quillbarrow.ini"));
    // ...and goes on working.
    HWND useProxy = Child(w, L"Button", L"Use Proxy (&P)");
    ASSERT_TRUE(useProxy);
    Click(useProxy);
    EXPECT_TRUE(WaitFor([&] { return TextOf(useProxy) == L"Direct (&P)"; }, kMs));
    Click(useProxy);
    EXPECT_TRUE(WaitFor([&] { return TextOf(useProxy) == L"Use Proxy (&P)"; }, kMs));

    // After the first has died (no close, as in a crash), a start works as usual.
    first.reset();
    Copy again(there);
    HWND v = again.MainWindow();
    ASSERT_TRUE(v);
    PostMessageW(v, WM_CLOSE, 0, 0);
    EXPECT_EQ(again.ExitCode(), 0u);
}
