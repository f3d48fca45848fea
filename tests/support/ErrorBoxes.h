#pragma once
// Tests never block on a message box: the standard error box is recorded here.
#include <string>
#include <vector>

namespace testing_support {

std::vector<std::string>& ErrorBoxes();
void InstallErrorBoxRecorder();

}  // namespace testing_support
