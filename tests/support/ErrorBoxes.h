#pragma once
// Tests never block on a message box: the standard error box and the
// program's notices are recorded here.
#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

std::vector<std::string>& ErrorBoxes();

struct Notice {
    HWND owner;
    std::string text;
};
std::vector<Notice>& Notices();

void InstallErrorBoxRecorder();

}  // namespace testing_support
