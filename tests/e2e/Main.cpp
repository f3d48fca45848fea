// The end-to-end driver: gtest's options, plus --shots=<folder> to have the
// scenario ask for screenshots along the way.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "e2e/Shots.h"

int wmain(int argc, wchar_t** argv) {
    // Window rectangles in real pixels, also when the screen is scaled.
    SetProcessDPIAware();
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        if (arg.rfind(L"--shots=", 0) == 0) e2e::SetShotsFolder(arg.substr(8));
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
