#include "e2e/FirstLook.h"

#include <windows.h>

#include <string>

#include "e2e/Remote.h"
#include "e2e/Shots.h"
#include "support/Scratch.h"

namespace e2e {

namespace {

constexpr int kWindowMs = 30000;

// The installers' default places, so that the dialog finds both programs,
// as it would on a machine with the browsers installed. The screenshot runs
// have Wine prefixes of their own: nothing real is touched.
void PlaceBrowserPrograms() {
    for (const char* program :
         {"C:\\Program Files\\Mozilla Firefox\\firefox.exe", "C:\\Program Files\\Opera\\Opera.exe"}) {
        std::string path = program;
        if (scratch::Exists(path)) continue;
        scratch::MakeFolders(path.substr(0, path.rfind('\\')));
        scratch::WriteBytes(path, "MZ");
    }
}

}  // namespace

bool FirstLookShots() {
    PlaceBrowserPrograms();
    ProgramCopy program(CopyProgramTo("first-look"));
    bool shown = false;
    if (HWND main = program.MainWindow(kWindowMs)) {
        Alt(main, L's');
        if (HWND dialog = WaitTopLevel(program.pi.dwProcessId, L"Setting", kWindowMs)) {
            Shot("settings", dialog);
            shown = true;
            PostMessageW(dialog, WM_CLOSE, 0, 0);
            WaitFor([&] { return !IsWindowVisible(dialog); }, kWindowMs);
        }
        PostMessageW(main, WM_CLOSE, 0, 0);
    }
    program.ExitCode();  // the close, or 30 s before the copy is ended by force
    return shown;
}

}  // namespace e2e
