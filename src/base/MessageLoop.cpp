#include "base/MessageLoop.h"

#include <algorithm>
#include <vector>

namespace base {

namespace {
struct DialogWindow {
    HWND hwnd;
    HACCEL accelerators;
};

std::vector<DialogWindow>& DialogWindows() {
    static std::vector<DialogWindow> windows;
    return windows;
}

bool TranslateForDialogs(MSG& msg) {
    for (const DialogWindow& d : DialogWindows()) {
        HWND w = d.hwnd;
        if (!IsWindow(w) || (msg.hwnd != w && !IsChild(w, msg.hwnd))) continue;
        if (d.accelerators && TranslateAcceleratorW(w, d.accelerators, &msg)) return true;
        if (IsDialogMessageW(w, &msg)) return true;
    }
    return false;
}
}  // namespace

void RegisterDialogWindow(HWND hwnd) { DialogWindows().push_back({hwnd, nullptr}); }

void UnregisterDialogWindow(HWND hwnd) {
    auto& v = DialogWindows();
    v.erase(std::remove_if(v.begin(), v.end(), [hwnd](const DialogWindow& d) { return d.hwnd == hwnd; }),
            v.end());
}

void SetAccelerators(HWND hwnd, HACCEL table) {
    for (DialogWindow& d : DialogWindows())
        if (d.hwnd == hwnd) d.accelerators = table;
}

void DispatchOne(MSG& msg) {
    if (TranslateForDialogs(msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

int RunMessageLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (TranslateForDialogs(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

bool ProcessMessages() { return ProcessMessagesUntil({}); }

bool ProcessMessagesUntil(const std::function<bool()>& enough) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        DispatchOne(msg);
        if (enough && enough()) break;
    }
    return true;
}

void WaitForMessages(DWORD timeoutMs) {
    // MWMO_INPUTAVAILABLE: wake also for messages that arrived before the
    // call but were only peeked at, so a wait never sleeps on a full queue.
    MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    ProcessMessages();
}

}  // namespace base
