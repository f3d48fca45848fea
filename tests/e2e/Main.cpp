// The end-to-end driver: gtest's options, plus --shots=<folder> to have the
// scenario ask for screenshots along the way, and then the settings dialog as
// a new user first sees it.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "e2e/FirstLook.h"
#include "e2e/Shots.h"

int wmain(int argc, wchar_t** argv) {
    // Window rectangles in real pixels, also when the screen is scaled.
    SetProcessDPIAware();
    bool shots = false;
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        if (arg.rfind(L"--shots=", 0) == 0) {
            e2e::SetShotsFolder(arg.substr(8));
            shots = true;
        }
    }
    testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    if (shots && !e2e::FirstLookShots()) result = 1;
    return result;
}
