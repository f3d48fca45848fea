// A second start while the program runs, from a copy in another folder: the
// running window comes back from the notification area, the second process
// ends with 0 and leaves no window, icon or settings file; a start after the
// first has died works as usual.
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <string>

#include "e2e/Remote.h"
#include "support/Scratch.h"

using namespace e2e;

namespace {

constexpr int kMs = 30000;  // only a hang runs out of this; a cold Wine may take seconds

// Visible windows of a class among parent's children (null: the top-level ones).
int Visible(HWND parent, const wchar_t* cls) {
    int n = 0;
    for (HWND w = FindWindowExW(parent, nullptr, cls, nullptr); w; w = FindWindowExW(parent, w, cls, nullptr))
        n += IsWindowVisible(w) != FALSE;
    return n;
}

int MainWindows() { return Visible(nullptr, L"QuillbarrowForm"); }

// Wine's stand-alone notification area holds one child window per icon.
int TrayIcons() {
    HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
    return tray ? Visible(tray, L"__winex11_tray_icon") : 0;
}

}  // namespace

TEST(SecondStart, BringsTheRunningWindowBackAndEnds) {
    const std::string here = CopyProgramTo("first"), there = CopyProgramTo("second");
    auto first = std::make_unique<ProgramCopy>(here);
    HWND w = first->MainWindow();
    ASSERT_TRUE(w);
    ASSERT_TRUE(WaitFor([] { return TrayIcons() == 1; }, kMs));
    PostMessageW(w, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(w); }, kMs));

    // The running copy does not answer while the second starts: nothing waits on it.
    SuspendThread(first->pi.hThread);
    ProgramCopy second(there);
    EXPECT_EQ(second.ExitCode(), 0u);
    ResumeThread(first->pi.hThread);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(w) && !IsIconic(w); }, kMs));
    EXPECT_EQ(MainWindows(), 1);
    EXPECT_EQ(TrayIcons(), 1);
    EXPECT_FALSE(scratch::Exists(there + "\\Quillbarrow.ini"));
    // ...and goes on working.
    HWND useProxy = Child(w, L"Button", L"Use Proxy (&P)");
    if (!useProxy) useProxy = Child(w, L"Button", L"Direct (&P)");
    ASSERT_TRUE(useProxy);
    const std::wstring before = TextOf(useProxy);
    Click(useProxy);
    EXPECT_TRUE(WaitFor([&] { return TextOf(useProxy) != before; }, kMs));
    Click(useProxy);
    EXPECT_TRUE(WaitFor([&] { return TextOf(useProxy) == before; }, kMs));

    // After the first has died (no close, as in a crash), a start works as usual.
    first.reset();
    ProgramCopy again(there);
    HWND v = again.MainWindow();
    ASSERT_TRUE(v);
    PostMessageW(v, WM_CLOSE, 0, 0);
    EXPECT_EQ(again.ExitCode(), 0u);
}

// A running copy that cannot be reached (here: only its mutex, held by this
// process, under the user's SID): the second start says so in one box and
// ends with 0.
TEST(SecondStart, ThatCannotReachTheRunningCopySaysSo) {
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    BYTE user[256];
    DWORD size = sizeof user;
    ASSERT_TRUE(GetTokenInformation(token, TokenUser, user, size, &size));
    CloseHandle(token);
    wchar_t* sid = nullptr;
    ASSERT_TRUE(ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &sid));
    HANDLE mutex = CreateMutexW(nullptr, FALSE, (std::wstring(L"Local\\Quillbarrow.") + sid).c_str());
    LocalFree(sid);

    ProgramCopy second(CopyProgramTo("unreachable"));
    HWND box = WaitTopLevelExactly(second.pi.dwProcessId, L"Quillbarrow", kMs);
    ASSERT_TRUE(box);
    EXPECT_EQ(ClassOf(box), L"#32770");
    // In front also where the system keeps a new process out of the
    // foreground (Wine lets it in either way).
    EXPECT_TRUE(WaitFor([&] { return (GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }, kMs));
    EXPECT_FALSE(FindTopLevel(second.pi.dwProcessId, L"Quillbarrow2012"));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(second.ExitCode(), 0u);
    CloseHandle(mutex);
}
