#include "app/Application.h"

#include <commctrl.h>

#include <memory>

#include "app/MainWindow.h"
#include "base/Error.h"
#include "base/Handles.h"
#include "base/MessageLoop.h"
#include "tray/TrayIcon.h"

namespace {

// One program per user session, wherever its copies lie: two would switch the
// same browsers, write the same settings file and both apply At Termination.
// The system releases the mutex with the process, also after a crash.
constexpr wchar_t kOneProgramMutex[] = L"Local\\Quillbarrow.OneProgramPerSession";

}  // namespace

int RunApplication(HINSTANCE, int show) {
    base::UniqueHandle oneProgram(CreateMutexW(nullptr, FALSE, kOneProgramMutex));
    const DWORD error = GetLastError();
    // A mutex made by a copy running with other rights refuses us access.
    if (error == ERROR_ALREADY_EXISTS || (!oneProgram && error == ERROR_ACCESS_DENIED)) {
        TTrayIcon::RestoreRunningCopy();
        return 0;
    }
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    std::unique_ptr<TfrmMain> main;
    // An error that escapes start-up or the loop is shown, then the program ends.
    base::Guarded([&] {
        main = std::make_unique<TfrmMain>();
        main->Show(show == SW_SHOWMINIMIZED || show == SW_MINIMIZE ? SW_SHOWMINNOACTIVE : SW_SHOWNORMAL);
        base::RunMessageLoop();
    });
    base::Guarded([&] { main.reset(); });
    return 0;
}
