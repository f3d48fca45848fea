// The standard error box of a build without windows: the message goes to
// stderr, so an error that nothing caught is still seen.
#include <cstdio>

#include "ui/Error.h"

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
    std::fprintf(stderr, "error: %s\n", message.c_str());
}

}  // namespace ui
