// A stand-in browser for the launcher tests: records the command line it was
// started with and the window size it was asked for, then exits. The record
// goes to the file named by QB_STANDIN_RECORD, which the child inherits from
// the test through the environment.
#include <windows.h>

#include <string>

#include "ui/Text.h"

int wmain() {
    wchar_t record[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"QB_STANDIN_RECORD", record, MAX_PATH)) return 2;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    std::string text = ui::Narrow(GetCommandLineW()) + "\n" + std::to_string(startup.dwFlags) + " " +
                       std::to_string(startup.dwXSize) + " " + std::to_string(startup.dwYSize) + "\n";
    // Written under another name and renamed, so the test never reads half a record.
    std::wstring partial = std::wstring(record) + L".part";
    HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 3;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return MoveFileExW(partial.c_str(), record, MOVEFILE_REPLACE_EXISTING) ? 0 : 4;
}
