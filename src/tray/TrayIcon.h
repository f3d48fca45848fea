#pragma once
// The notification-area icon: picture, tooltip, restore on a left click, the
// pop-up menu on a right click, and minimise-to-tray.
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

#include "ui/Controls.h"
#include "base/Handles.h"

enum TTrayIconMessage {
    imClick,
    imDoubleClick,
    imMouseDown,
    imMouseUp,
    imLeftClickUp,
    imLeftDoubleClick,
    imRightClickUp,
    imRightDoubleClick,
    imNone,
};

class TTrayIcon {
public:
    static constexpr UINT kCallbackMessage = WM_USER + 1;

    // mainWindow: the window that minimises into the notification area.
    explicit TTrayIcon(HWND mainWindow);
    ~TTrayIcon();
    TTrayIcon(const TTrayIcon&) = delete;
    TTrayIcon& operator=(const TTrayIcon&) = delete;

    // Adds (true) or removes (false) the icon. Raises EOutOfResources when the
    // shell refuses.
    void SetVisible(bool visible);
    bool Visible() const { return visible_; }
    // Shows the icon when the shell lets us; otherwise keeps trying each time
    // the taskbar is (re)created. Never raises.
    void ShowWhenPossible();
    // Whether the shell holds our icon right now.
    bool InShell() const { return inShell_; }

    // A balloon from the icon (Windows' notification), with the text cut to
    // what the balloon holds. False when the icon is not in the notification
    // area, or the shell refused.
    bool ShowBalloon(const std::string& title, const std::string& text);

    void SetHint(const std::string& hint);
    const std::string& Hint() const { return hint_; }
    // From now on the picture is image IconIndex of the list.
    void SetIcons(ui::ImageList* icons);
    void SetIconIndex(int index);
    int IconIndex() const { return iconIndex_; }
    void SetPopupMenu(ui::PopupMenu* menu) { popupMenu_ = menu; }

    TTrayIconMessage RestoreOn = imDoubleClick;
    TTrayIconMessage PopupMenuOn = imNone;

    // Hands the notification record to the shell; tests put a recorder here.
    std::function<bool(DWORD action, const NOTIFYICONDATAW& data)> shellNotify =
        [](DWORD action, const NOTIFYICONDATAW& data) {
            return Shell_NotifyIconW(action, const_cast<NOTIFYICONDATAW*>(&data)) != FALSE;
        };

    std::function<void()> OnMinimize;
    std::function<void()> OnRestore;

    void Minimize();
    // Brings the window back, or the window the user must answer first (a
    // box, a dialog) while one is open over it.
    void Restore();
    void ShowMenu();
    // Sees the main window's messages before it handles them; returns true
    // when the message was dealt with here. A restarted taskbar and the end
    // of the session reach the icon this way.
    bool ApplicationHookProc(UINT msg, WPARAM wp, LPARAM lp);

    // For a second start: asks the icon of the copy already running in this
    // session to restore its window, as a left click on it does. Posted, so
    // a copy that does not answer holds nobody up. False when none was found.
    static bool RestoreRunningCopy();

    HWND Handle() const { return window_.get(); }
    bool Minimized() const { return minimized_; }

private:
    static LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT DoMessage(UINT msg, WPARAM wp, LPARAM lp);
    void Update();
    bool Notify(DWORD action);
    // Puts the picture of IconIndex (or the application icon) into the record.
    void TakePicture();
    void EndSession();

    HWND mainWindow_;
    base::UniqueHwnd window_;
    HICON appIcon_ = nullptr;  // shared; never destroyed
    base::UniqueIcon icon_;    // an image of the list, once one is set
    NOTIFYICONDATAW data_{};
    bool visible_ = false;
    bool inShell_ = false;
    bool minimized_ = false;
    std::string hint_;
    ui::ImageList* icons_ = nullptr;
    int iconIndex_ = 0;
    int pictureIndex_ = -1;  // the index icon_ was last taken for
    ui::PopupMenu* popupMenu_ = nullptr;
    UINT taskbarCreated_ = 0;
    UINT restoreRequest_ = 0;
};
