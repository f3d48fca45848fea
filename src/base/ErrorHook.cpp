// Where an uncaught error goes: the test hook when one is set, else the
// platform's presentation. No <windows.h> here, so builds without a window
// system share it.
#include "base/Error.h"

namespace base {

namespace {
ErrorBoxHook g_hook = nullptr;
}

void SetErrorBoxHook(ErrorBoxHook hook) { g_hook = hook; }

void ShowErrorBox(const std::string& message) {
    if (g_hook) {
        g_hook(message);
        return;
    }
    PresentError(message);
}

}  // namespace base
