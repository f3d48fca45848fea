#include "e2e/FirstLook.h"

#include <windows.h>

#include <string>

#include "e2e/Remote.h"
#include "e2e/Shots.h"
#include "support/Scratch.h"
#include "base/Text.h"

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
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring build = self;
    build.resize(build.find_last_of(L'\\'));
    const std::wstring folder = build + L"\\e2e-scratch\\first-look";
    scratch::MakeFolders(base::Narrow(folder));
    DeleteFileW((folder + L"\\Quillbarrow.ini").c_str());
    const std::wstring exe = folder + L"\\Quillbarrow.exe";
    CopyFileW((build + L"\\Quillbarrow.exe").c_str(), exe.c_str(), FALSE);

    std::wstring line = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si,
                        &pi))
        return false;
    bool shown = false;
    if (HWND main = WaitTopLevel(pi.dwProcessId, L"Quillbarrow2012 for", kWindowMs)) {
        Alt(main, L's');
        if (HWND dialog = WaitTopLevel(pi.dwProcessId, L"Setting", kWindowMs)) {
            Shot("settings", dialog);
            shown = true;
            PostMessageW(dialog, WM_CLOSE, 0, 0);
            WaitFor([&] { return !IsWindowVisible(dialog); }, kWindowMs);
        }
        PostMessageW(main, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(pi.hProcess, kWindowMs) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return shown;
}

}  // namespace e2e
