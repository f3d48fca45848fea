#pragma once
// Screenshots taken on request while the scenario runs (make screenshots).
// The capture itself happens outside Wine: this writes "name x y w h" to
// request.txt in the shots folder and waits until the capturing script has
// taken the picture and removed the request.
#include <windows.h>

#include <string>

namespace e2e {

// The folder requests go to; empty (the default) makes Shot do nothing.
void SetShotsFolder(const std::wstring& folder);
void Shot(const char* name, HWND window);

}  // namespace e2e
