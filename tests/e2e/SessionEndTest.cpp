// The Windows session ends while the program runs, its window shown or hidden
// in the notification area: Wine's `wineboot --end-session` sends the
// messages Windows sends at log-off. The termination choice is applied, the
// position stored, and the program ends by itself.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "e2e/Remote.h"
#include "settings/IniFile.h"

using namespace e2e;

TEST(SessionEnd, AppliesTheTerminationChoiceAndStoresThePositionShownOrHidden) {
    for (bool hidden : {false, true}) {
        SCOPED_TRACE(hidden ? "hidden in the notification area" : "shown");
        const std::string folder = CopyProgramTo(hidden ? "end-hidden" : "end-shown");
        IniFile ini(folder + "\\Quillbarrow.ini");
        ini.WriteString("TERMINAL", "OPTION", "1");
        InternetSettings().SetDword("ProxyEnable", 1);
        ProgramCopy program(folder);
        HWND w = program.MainWindow();
        ASSERT_TRUE(w);
        SetWindowPos(w, nullptr, 137, 151, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (hidden) {
            PostMessageW(w, WM_SYSCOMMAND, SC_MINIMIZE, 0);
            ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(w); }, 30000));
        }
        ASSERT_NE(Process(L"wineboot.exe --end-session").ExitCode(), STILL_ACTIVE);
        EXPECT_EQ(program.ExitCode(), 0u);
        EXPECT_EQ(InternetSettings().GetDword("ProxyEnable"), 0u);
        EXPECT_EQ(ini.ReadString("POSITION", "M_LEFT", ""), "137");
        EXPECT_EQ(ini.ReadString("POSITION", "M_TOP", ""), "151");
    }
}
