#include <windows.h>

#include "ui/Error.h"
#include "ui/Text.h"

namespace ui {

namespace {
ErrorBoxHook g_hook = nullptr;
}

void SetErrorBoxHook(ErrorBoxHook hook) { g_hook = hook; }

void ShowErrorBox(const std::string& message) {
    if (g_hook) {
        g_hook(message);
        return;
    }
    std::wstring caption = L"Quillbarrow";
    MessageBoxW(GetActiveWindow(), Widen(message).c_str(), caption.c_str(),
                MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace ui
