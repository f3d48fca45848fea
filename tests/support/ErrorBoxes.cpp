#include "support/ErrorBoxes.h"

#include "base/Error.h"

namespace testing_support {

std::vector<std::string>& ErrorBoxes() {
    static std::vector<std::string> boxes;
    return boxes;
}

void InstallErrorBoxRecorder() {
    base::SetErrorBoxHook([](const std::string& message) { ErrorBoxes().push_back(message); });
}

}  // namespace testing_support
