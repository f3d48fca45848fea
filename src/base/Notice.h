#pragma once
// A message for the user that is no error of the program: a warning box
// owned by one of the program's windows, or a question answered Yes or No.
#include <windows.h>

#include <string>

namespace base {

void ShowNotice(HWND owner, const std::string& message);
// For a program that has no window of its own to own the box (a second
// start): the box comes up in front, where the user looks, and active.
void ShowNoticeInFront(const std::string& message);
// True for Yes.
bool AskUser(HWND owner, const std::string& question);

// Hooks for tests: when set, the calls above run them instead of opening a box.
using NoticeHook = void (*)(HWND owner, const std::string& message);
void SetNoticeHook(NoticeHook hook);
using QuestionHook = bool (*)(HWND owner, const std::string& question);
void SetQuestionHook(QuestionHook hook);

}  // namespace base
