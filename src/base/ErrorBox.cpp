#include <windows.h>

#include "base/Error.h"
#include "base/Text.h"

namespace base {

void PresentError(const std::string& message) {
    MessageBoxW(GetActiveWindow(), Widen(message).c_str(), L"Quillbarrow",
                MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace base
