#include "support/ErrorBoxes.h"

#include "base/Error.h"
#include "base/Notice.h"

namespace testing_support {

std::vector<std::string>& ErrorBoxes() {
    static std::vector<std::string> boxes;
    return boxes;
}

std::vector<Notice>& Notices() {
    static std::vector<Notice> notices;
    return notices;
}

bool& AnswerYes() {
    static bool yes = false;
    return yes;
}

void InstallErrorBoxRecorder() {
    base::SetErrorBoxHook([](const std::string& message) { ErrorBoxes().push_back(message); });
    base::SetNoticeHook([](HWND owner, const std::string& message) {
        Notices().push_back({owner, message});
    });
    base::SetQuestionHook([](HWND owner, const std::string& question) {
        Notices().push_back({owner, question, true});
        return AnswerYes();
    });
}

}  // namespace testing_support
