#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "support/ErrorBoxes.h"

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    testing_support::InstallErrorBoxRecorder();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
