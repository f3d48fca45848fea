#pragma once
// A message for the user that is no error of the program: a warning box
// owned by one of the program's windows.
#include <windows.h>

#include <string>

namespace base {

void ShowNotice(HWND owner, const std::string& message);

// Hook for tests: when set, ShowNotice calls it instead of opening a box.
using NoticeHook = void (*)(HWND owner, const std::string& message);
void SetNoticeHook(NoticeHook hook);

}  // namespace base
