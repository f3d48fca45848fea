#pragma once
// The program's error objects. Every error that the code raises on purpose is
// an Exception (or derived); its message is UTF-8 text.
#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

// The framework's out-of-resources error.
class EOutOfResources : public Exception {
public:
    using Exception::Exception;
};

namespace base {

// The application's standard error box: shows the message of an error that no
// handler caught. The program goes on running afterwards.
void ShowErrorBox(const std::string& message);

// The platform's way of showing such a message (a message box on Windows).
void PresentError(const std::string& message);

// Hook for tests: when set, ShowErrorBox calls it instead of opening a box.
using ErrorBoxHook = void (*)(const std::string& message);
void SetErrorBoxHook(ErrorBoxHook hook);

// Runs fn; an exception that escapes it is shown in the standard error box.
template <typename Fn>
void Guarded(Fn&& fn) noexcept {
    try {
        fn();
    } catch (const std::exception& e) {
        ShowErrorBox(dynamic_cast<const Exception*>(&e) ? std::string(e.what()) : std::string());
    } catch (...) {
        ShowErrorBox(std::string());
    }
}

}  // namespace base
