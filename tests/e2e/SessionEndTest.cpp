// The Windows session ends while the program runs, its window shown or hidden
// in the notification area: Wine's `wineboot --end-session` sends the
// messages Windows sends at log-off. The termination choice is applied, the
// position stored, and the program ends by itself.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "e2e/Remote.h"
#include "support/Scratch.h"
#include "base/Text.h"

using namespace e2e;

namespace {

constexpr int kMs = 30000;  // only a hang runs out of this
constexpr wchar_t kInternetSettings[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

void SetProxyEnable(DWORD value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kInternetSettings, L"ProxyEnable", REG_DWORD, &value, sizeof value);
}

DWORD ProxyEnable() {
    DWORD value = 0xFFFFFFFF, size = sizeof value;
    RegGetValueW(HKEY_CURRENT_USER, kInternetSettings, L"ProxyEnable", RRF_RT_REG_DWORD, nullptr, &value,
                 &size);
    return value;
}

std::wstring IniText(const std::string& folder, const wchar_t* section, const wchar_t* key) {
    wchar_t buffer[64] = {};
    GetPrivateProfileStringW(section, key, L"<absent>", buffer, 64,
                             base::Widen(folder + "\\Quillbarrow.ini").c_str());
    return buffer;
}

// Runs `wineboot --end-session` and waits for it.
bool EndSession() {
    wchar_t line[] = L"wineboot.exe --end-session";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    const bool ended = WaitForSingleObject(pi.hProcess, kMs) == WAIT_OBJECT_0;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return ended;
}

}  // namespace

TEST(SessionEnd, AppliesTheTerminationChoiceAndStoresThePositionShownOrHidden) {
    for (bool hidden : {false, true}) {
        SCOPED_TRACE(hidden ? "hidden in the notification area" : "shown");
        const std::string folder = CopyProgramTo(hidden ? "end-hidden" : "end-shown");
        WritePrivateProfileStringW(L"TERMINAL", L"OPTION", L"1",
                                   base::Widen(folder + "\\Quillbarrow.ini").c_str());
        SetProxyEnable(1);
        ProgramCopy program(folder);
        HWND w = program.MainWindow();
        ASSERT_TRUE(w);
        SetWindowPos(w, nullptr, 137, 151, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (hidden) {
            PostMessageW(w, WM_SYSCOMMAND, SC_MINIMIZE, 0);
            ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(w); }, kMs));
        }
        ASSERT_TRUE(EndSession());
        EXPECT_EQ(program.ExitCode(), 0u);
        EXPECT_EQ(ProxyEnable(), 0u);
        EXPECT_EQ(IniText(folder, L"POSITION", L"M_LEFT"), L"137");
        EXPECT_EQ(IniText(folder, L"POSITION", L"M_TOP"), L"151");
    }
}
