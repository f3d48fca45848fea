#include <windows.h>

#include "ui/Error.h"
#include "ui/Text.h"

namespace ui {

void PresentError(const std::string& message) {
    MessageBoxW(GetActiveWindow(), Widen(message).c_str(), L"Quillbarrow",
                MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace ui
