#include "base/Notice.h"

#include "base/Text.h"

namespace base {

namespace {
NoticeHook g_hook = nullptr;
}

void SetNoticeHook(NoticeHook hook) { g_hook = hook; }

void ShowNotice(HWND owner, const std::string& message) {
    if (g_hook) {
        g_hook(owner, message);
        return;
    }
    MessageBoxW(owner, Widen(message).c_str(), L"Quillbarrow", MB_OK | MB_ICONWARNING);
}

}  // namespace base
