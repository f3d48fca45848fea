#pragma once
// Tests never block on a message box: the standard error box and the
// program's notices are recorded here.
#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

std::vector<std::string>& ErrorBoxes();

// A question is recorded among the notices, and answered with AnswerYes().
struct Notice {
    HWND owner;
    std::string text;
    bool question = false;
};
std::vector<Notice>& Notices();
bool& AnswerYes();

void InstallErrorBoxRecorder();

}  // namespace testing_support
