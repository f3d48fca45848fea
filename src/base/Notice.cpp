#include "base/Notice.h"

#include "base/Text.h"

namespace base {

namespace {
NoticeHook g_hook = nullptr;
QuestionHook g_questionHook = nullptr;

void Show(HWND owner, const std::string& message, UINT extraFlags) {
    if (g_hook) {
        g_hook(owner, message);
        return;
    }
    MessageBoxW(owner, Widen(message).c_str(), L"Quillbarrow", MB_OK | MB_ICONWARNING | extraFlags);
}
}  // namespace

void SetNoticeHook(NoticeHook hook) { g_hook = hook; }
void SetQuestionHook(QuestionHook hook) { g_questionHook = hook; }

void ShowNotice(HWND owner, const std::string& message) { Show(owner, message, 0); }

void ShowNoticeInFront(const std::string& message) {
    // A process started from a shortcut or a command line is not always let
    // into the foreground: without these its box may open inactive behind
    // the window the user started it from. With no owner, system-modal only
    // adds the topmost style (which Wine's boxes take only this way, not
    // from MB_TOPMOST).
    Show(nullptr, message, MB_SETFOREGROUND | MB_SYSTEMMODAL);
}

bool AskUser(HWND owner, const std::string& question) {
    if (g_questionHook) return g_questionHook(owner, question);
    return MessageBoxW(owner, Widen(question).c_str(), L"Quillbarrow", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

}  // namespace base
