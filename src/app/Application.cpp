#include "app/Application.h"

#include <commctrl.h>
#include <sddl.h>

#include <memory>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "base/Error.h"
#include "base/Handles.h"
#include "base/MessageLoop.h"
#include "base/Notice.h"
#include "tray/TrayIcon.h"

namespace {

// One program per user and session, wherever its copies lie: two would switch
// the same browsers, write the same settings file and both apply At
// Termination. Another user run in the same session (Run as) has browser
// settings of their own, and a copy of their own: the name carries the
// user's SID. The system releases the mutex with the process, also after a
// crash.
std::wstring OneProgramMutexName() {
    std::wstring name = L"Local\\Quillbarrow";
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return name;
    base::UniqueHandle token(raw);
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> user(size);
    wchar_t* sid = nullptr;
    if (size == 0 || !GetTokenInformation(token.get(), TokenUser, user.data(), size, &size) ||
        !ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &sid))
        return name;
    base::UniqueLocal owned(sid);
    return name + L"." + sid;
}

}  // namespace

int RunApplication(HINSTANCE, int show) {
    base::UniqueHandle oneProgram(CreateMutexW(nullptr, FALSE, OneProgramMutexName().c_str()));
    const DWORD error = GetLastError();
    // A mutex made by a copy running with other rights refuses us access.
    if (error == ERROR_ALREADY_EXISTS || (!oneProgram && error == ERROR_ACCESS_DENIED)) {
        // Ending without a word would leave the user wondering where the
        // program went.
        if (!TTrayIcon::RestoreRunningCopy())
            base::ShowNoticeInFront(
                "Quillbarrow is already running, but its window could not be brought back.\n\n"
                "Look for its icon in the notification area.");
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
