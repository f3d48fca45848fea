#include "e2e/Shots.h"

#include <cstdio>

#include "e2e/Remote.h"

namespace e2e {

namespace {
std::wstring& Folder() {
    static std::wstring folder;
    return folder;
}
}  // namespace

void SetShotsFolder(const std::wstring& folder) { Folder() = folder; }

void Shot(const char* name, HWND window) {
    if (Folder().empty() || !window) return;
    // Let the window finish painting after the step that changed it.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(300);
    RECT r{};
    GetWindowRect(window, &r);
    const std::wstring request = Folder() + L"\\request.txt";
    const std::wstring partial = request + L".part";
    FILE* f = _wfopen(partial.c_str(), L"wb");
    if (!f) return;
    std::fprintf(f, "%s %ld %ld %ld %ld\n", name, r.left, r.top, r.right - r.left, r.bottom - r.top);
    std::fclose(f);
    // Renamed into place, so the script never reads half a request.
    MoveFileExW(partial.c_str(), request.c_str(), MOVEFILE_REPLACE_EXISTING);
    WaitFor([&] { return GetFileAttributesW(request.c_str()) == INVALID_FILE_ATTRIBUTES; }, 30000);
}

}  // namespace e2e
