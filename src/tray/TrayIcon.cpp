#include "tray/TrayIcon.h"

#include <algorithm>

#include "base/Error.h"
#include "base/MessageWindow.h"
#include "base/Text.h"

namespace {
constexpr wchar_t kTrayClass[] = L"QuillbarrowTrayWindow";
constexpr size_t kMaxHint = 64;  // shorter hints only; longer ones are ignored
constexpr wchar_t kRestoreRequest[] = L"QuillbarrowRestoreRequest";

// The first units of text that fit a field of N units with its NUL,
// never half a surrogate pair.
template <size_t N>
void CopyCut(wchar_t (&field)[N], const std::wstring& text) {
    size_t n = std::min(text.size(), N - 1);
    if (n > 0 && n < text.size() && IS_HIGH_SURROGATE(text[n - 1])) --n;
    text.copy(field, n);
    field[n] = L'\0';
}
}  // namespace

TTrayIcon::TTrayIcon(HWND mainWindow) : mainWindow_(mainWindow) {
    HINSTANCE inst = GetModuleHandleW(nullptr);
    // Message-only: the shell posts to it all the same, and it costs no
    // top-level window (about 4 ms under Wine). The broadcasts that only
    // top-level windows get reach it through ApplicationHookProc.
    window_ = base::CreateMessageWindow(kTrayClass, &TTrayIcon::WndProc, nullptr, this);
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
    restoreRequest_ = RegisterWindowMessageW(kRestoreRequest);
    // A second start with other rights (elevated, or not) must still reach
    // us: message filtering drops registered messages between the two.
    ChangeWindowMessageFilterEx(window_.get(), restoreRequest_, MSGFLT_ALLOW, nullptr);

    // Shared, so not copied (a copy is another round trip): the picture until
    // an image of the list takes its place.
    appIcon_ = LoadIconW(inst, MAKEINTRESOURCEW(1));
    if (!appIcon_) appIcon_ = LoadIconW(nullptr, IDI_APPLICATION);

    data_.cbSize = sizeof data_;
    data_.hWnd = window_.get();
    data_.uID = 1;
    data_.uFlags = NIF_MESSAGE | NIF_ICON;
    data_.uCallbackMessage = kCallbackMessage;
    data_.hIcon = appIcon_;
}

TTrayIcon::~TTrayIcon() {
    if (inShell_) Notify(NIM_DELETE);
    if (window_) SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
}

bool TTrayIcon::Notify(DWORD action) {
    if (action != NIM_DELETE) TakePicture();
    return shellNotify(action, data_);
}

void TTrayIcon::TakePicture() {
    // The image is made from the list only when the shell is to be given it:
    // each costs about a millisecond under Wine, and at start the index
    // changes before the icon is first added.
    if (icons_ && pictureIndex_ != iconIndex_) {
        pictureIndex_ = iconIndex_;
        base::UniqueIcon icon = icons_->GetIcon(iconIndex_);
        if (icon) icon_ = std::move(icon);
    }
    data_.hIcon = icon_ ? icon_.get() : appIcon_;
}

void TTrayIcon::SetVisible(bool visible) {
    visible_ = visible;
    if (visible) {
        if (!Notify(NIM_ADD)) throw EOutOfResources("Cannot Create System Shell Notification Icon");
        inShell_ = true;
    } else {
        if (!Notify(NIM_DELETE)) throw EOutOfResources("Cannot Remove System Shell Notification Icon");
        inShell_ = false;
    }
}

void TTrayIcon::ShowWhenPossible() {
    // At log-on the taskbar may not exist yet; "TaskbarCreated" brings us back.
    visible_ = true;
    inShell_ = Notify(NIM_ADD);
}

void TTrayIcon::Update() {
    if (inShell_) Notify(NIM_MODIFY);
}

void TTrayIcon::SetIcons(ui::ImageList* icons) {
    icons_ = icons;
    pictureIndex_ = -1;
    // Not the application icon until the first change of index: the list's
    // image is the picture as soon as the list is there.
    SetIconIndex(iconIndex_);
}

void TTrayIcon::SetIconIndex(int index) {
    iconIndex_ = index;
    Update();
}

void TTrayIcon::SetHint(const std::string& hint) {
    std::wstring wide = base::Widen(hint);
    if (hint == hint_ || wide.size() >= kMaxHint) return;
    hint_ = hint;
    wcsncpy_s(data_.szTip, wide.c_str(), _TRUNCATE);
    if (!hint.empty()) data_.uFlags |= NIF_TIP;
    Update();
}

bool TTrayIcon::ShowBalloon(const std::string& title, const std::string& text) {
    if (!inShell_) return false;
    // Only the balloon: the record itself keeps no NIF_INFO, or every later
    // change of the picture would show the balloon again.
    NOTIFYICONDATAW balloon = data_;
    balloon.uFlags = NIF_INFO;
    balloon.dwInfoFlags = NIIF_WARNING;
    CopyCut(balloon.szInfoTitle, base::Widen(title));
    CopyCut(balloon.szInfo, base::Widen(text));
    return shellNotify(NIM_MODIFY, balloon);
}

void TTrayIcon::Minimize() {
    minimized_ = true;
    ShowWindow(mainWindow_, SW_MINIMIZE);
    // Hiding the window removes its taskbar button; only do it while the icon
    // is there to bring it back.
    if (inShell_) ShowWindow(mainWindow_, SW_HIDE);
    if (OnMinimize) OnMinimize();
}

void TTrayIcon::Restore() {
    minimized_ = false;
    ShowWindow(mainWindow_, SW_RESTORE);
    // While a box or a dialog is open, the main window is disabled and that
    // one waits for the answer.
    HWND popup = GetLastActivePopup(mainWindow_);
    SetForegroundWindow(popup ? popup : mainWindow_);
    if (OnRestore) OnRestore();
}

void TTrayIcon::ShowMenu() {
    if (!popupMenu_) return;
    POINT pt{};
    GetCursorPos(&pt);
    // Without this the menu stays open when the user clicks elsewhere.
    HWND active = GetLastActivePopup(mainWindow_);
    SetForegroundWindow(active ? active : mainWindow_);
    popupMenu_->Popup(window_.get(), pt);
}

bool TTrayIcon::ApplicationHookProc(UINT msg, WPARAM wp, LPARAM lp) {
    // What the system sends only to top-level windows, the icon's own window
    // handles as its own; the main window handles it too.
    if ((msg == taskbarCreated_ && taskbarCreated_ != 0) || msg == WM_ENDSESSION) {
        DoMessage(msg, wp, lp);
        return false;
    }
    if (msg != WM_SYSCOMMAND) return false;
    if ((wp & 0xFFF0) == SC_MINIMIZE) {
        Minimize();
        return true;
    }
    if ((wp & 0xFFF0) == SC_RESTORE && minimized_) {
        Restore();
        return true;
    }
    return false;
}

bool TTrayIcon::RestoreRunningCopy() {
    HWND running = FindWindowExW(HWND_MESSAGE, nullptr, kTrayClass, nullptr);
    if (!running) return false;
    DWORD pid = 0;
    GetWindowThreadProcessId(running, &pid);
    // Only the program the user just started may hand the foreground on.
    AllowSetForegroundWindow(pid);
    return PostMessageW(running, RegisterWindowMessageW(kRestoreRequest), 0, 0) != FALSE;
}

void TTrayIcon::EndSession() {
    if (inShell_) Notify(NIM_DELETE);
    inShell_ = false;
}

LRESULT CALLBACK TTrayIcon::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = base::WindowOwner<TTrayIcon>(hwnd, msg, lp);
    if (!self || !self->window_) return DefWindowProcW(hwnd, msg, wp, lp);
    LRESULT result = 0;
    base::Guarded([&] { result = self->DoMessage(msg, wp, lp); });
    return result;
}

LRESULT TTrayIcon::DoMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_QUERYENDSESSION) return 1;
    if (msg == WM_ENDSESSION) {
        if (wp) EndSession();
        return 0;
    }
    if (msg == taskbarCreated_ && taskbarCreated_ != 0) {
        // Explorer restarted (or started after us): put the icon back.
        if (visible_) {
            inShell_ = Notify(NIM_ADD);
            Update();
        }
        return 0;
    }
    if (msg == restoreRequest_ && restoreRequest_ != 0) {
        Restore();
        return 0;
    }
    if (msg == kCallbackMessage) {
        switch (static_cast<UINT>(lp)) {
            case WM_LBUTTONUP:
                if (RestoreOn == imLeftClickUp) Restore();
                if (PopupMenuOn == imLeftClickUp) ShowMenu();
                break;
            case WM_RBUTTONUP:
                if (RestoreOn == imRightClickUp) Restore();
                if (PopupMenuOn == imRightClickUp) ShowMenu();
                break;
            case WM_LBUTTONDBLCLK:
                if (RestoreOn == imLeftDoubleClick) Restore();
                if (PopupMenuOn == imLeftDoubleClick) ShowMenu();
                break;
            case WM_RBUTTONDBLCLK:
                if (RestoreOn == imRightDoubleClick) Restore();
                if (PopupMenuOn == imRightDoubleClick) ShowMenu();
                break;
        }
        return 0;
    }
    if (msg == WM_COMMAND || msg == WM_NULL) return 0;
    return DefWindowProcW(window_.get(), msg, wp, lp);
}
