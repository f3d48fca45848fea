// A stand-in browser for the launcher tests: records the command line it was
// started with and the window size it was asked for, then exits. The record
// is added to the file named by QB_STANDIN_RECORD, which the child inherits
// from the test through the environment; every launch adds its own two lines,
// so a test that waits for one launch also sees any launch before it.
#include <windows.h>

#include <string>

#include "base/Handles.h"
#include "base/Text.h"

namespace {

base::UniqueHandle Open(const std::wstring& path, DWORD access, DWORD share, DWORD creation) {
    HANDLE h = CreateFileW(path.c_str(), access, share, nullptr, creation, FILE_ATTRIBUTE_NORMAL, nullptr);
    return base::UniqueHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

std::string ReadAll(const std::wstring& path) {
    base::UniqueHandle file = Open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, OPEN_EXISTING);
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (file && ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got)
        text.append(buffer, got);
    return text;
}

// Written under another name and renamed, so the test never reads half a record.
int Append(const std::wstring& record, const std::string& text) {
    const std::string whole = ReadAll(record) + text;
    const std::wstring partial = record + L".part";
    {
        base::UniqueHandle file = Open(partial, GENERIC_WRITE, 0, CREATE_ALWAYS);
        if (!file) return 3;
        DWORD written = 0;
        WriteFile(file.get(), whole.data(), static_cast<DWORD>(whole.size()), &written, nullptr);
    }
    return MoveFileExW(partial.c_str(), record.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 4;
}

}  // namespace

int wmain() {
    wchar_t record[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"QB_STANDIN_RECORD", record, MAX_PATH)) return 2;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    std::string text = base::Narrow(GetCommandLineW()) + "\n" + std::to_string(startup.dwFlags) + " " +
                       std::to_string(startup.dwXSize) + " " + std::to_string(startup.dwYSize) + "\n";
    // Stand-ins started close together take turns, or one would lose the other's record.
    base::UniqueHandle turn(CreateMutexW(nullptr, FALSE, L"QuillbarrowStandInRecord"));
    if (!turn || WaitForSingleObject(turn.get(), 30000) == WAIT_TIMEOUT) return 5;
    int rc = Append(record, text);
    ReleaseMutex(turn.get());
    return rc;
}
