#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "support/IconPixel.h"
#include "tray/TrayIcon.h"
#include "base/Error.h"
#include "ui/Form.h"
#include "base/MessageLoop.h"

namespace {

class Window : public ui::Form {
public:
    Window() { Create({"Tray test", 200, 100, ui::FormStyle::Single}, {}); }
};

base::UniqueIcon SolidIcon(COLORREF c) {
    std::vector<DWORD> pixels(32 * 32, 0xFF000000 | GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c));
    base::UniqueBitmap color(CreateBitmap(32, 32, 1, 32, pixels.data()));
    std::vector<BYTE> opaque(32 * 32 / 8, 0);
    base::UniqueBitmap mask(CreateBitmap(32, 32, 1, 1, opaque.data()));
    ICONINFO ii{TRUE, 0, 0, mask.get(), color.get()};
    return base::UniqueIcon(CreateIconIndirect(&ii));
}

struct TrayTest : ::testing::Test {
    Window window;
    TTrayIcon tray{window.Handle()};
    ui::PopupMenu menu;
    int restored = 0, minimized = 0, popups = 0;

    void SetUp() override {
        tray.RestoreOn = imLeftClickUp;
        tray.PopupMenuOn = imRightClickUp;
        tray.SetPopupMenu(&menu);
        menu.AddItem("Item", [] {});
        tray.OnRestore = [this] { ++restored; };
        tray.OnMinimize = [this] { ++minimized; };
        // The menu's own loop would wait for the user: close it from inside.
        menu.onPopup = [this] {
            ++popups;
            SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
                KillTimer(nullptr, id);
                EndMenu();
            });
        };
        window.Show();
    }

    void Callback(UINT mouseMessage) {
        SendMessageW(tray.Handle(), TTrayIcon::kCallbackMessage, 1, mouseMessage);
    }
};

}  // namespace

TEST_F(TrayTest, LeftButtonReleaseRestores) {
    ShowWindow(window.Handle(), SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(window.Handle()));
    Callback(WM_LBUTTONUP);
    EXPECT_FALSE(IsIconic(window.Handle()));
    EXPECT_EQ(restored, 1);
    EXPECT_EQ(popups, 0);
    // Presses and double clicks do nothing in this configuration.
    Callback(WM_LBUTTONDOWN);
    Callback(WM_LBUTTONDBLCLK);
    Callback(WM_RBUTTONDOWN);
    EXPECT_EQ(restored, 1);
    EXPECT_EQ(popups, 0);
}

TEST_F(TrayTest, RightButtonReleaseOpensTheMenu) {
    Callback(WM_RBUTTONUP);
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(restored, 0);
}

TEST_F(TrayTest, HintsOfSixtyFourCharactersOrMoreAreIgnored) {
    std::string h63(63, 'a'), h64(64, 'b');
    tray.SetHint(h63);
    EXPECT_EQ(tray.Hint(), h63);
    tray.SetHint(h64);
    EXPECT_EQ(tray.Hint(), h63);
    tray.SetHint("Quillbarrow2012 \nDirect");
    EXPECT_EQ(tray.Hint(), "Quillbarrow2012 \nDirect");
}

TEST_F(TrayTest, MinimiseGoesThroughTheHook) {
    SendMessageW(window.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);  // not hooked: plain window
    ShowWindow(window.Handle(), SW_RESTORE);
    EXPECT_TRUE(tray.ApplicationHookProc(WM_SYSCOMMAND, SC_MINIMIZE, 0));
    EXPECT_EQ(minimized, 1);
    EXPECT_TRUE(IsIconic(window.Handle()));
    // Only while the icon is in the notification area does the window leave the taskbar.
    EXPECT_EQ(IsWindowVisible(window.Handle()) != FALSE, !tray.InShell());
    EXPECT_TRUE(tray.ApplicationHookProc(WM_SYSCOMMAND, SC_RESTORE, 0));
    EXPECT_EQ(restored, 1);
    EXPECT_FALSE(IsIconic(window.Handle()));
    EXPECT_FALSE(tray.ApplicationHookProc(WM_SYSCOMMAND, SC_CLOSE, 0));
    EXPECT_FALSE(tray.ApplicationHookProc(WM_COMMAND, SC_MINIMIZE, 0));
}

TEST_F(TrayTest, TheShellShowsImageIconIndexOfTheList) {
    // Outlives the test body: the tray's destructor still notifies.
    static std::vector<COLORREF> shown;
    tray.shellNotify = [](DWORD, const NOTIFYICONDATAW& data) {
        shown.push_back(qbtest::IconPixel(data.hIcon, 16, 16, RGB(0, 0, 0)));
        return true;
    };
    ui::ImageList list(32);
    for (COLORREF c : {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)}) list.AddIcon(SolidIcon(c).get());
    tray.ShowWhenPossible();
    tray.SetIconIndex(1);  // no list yet: the application icon stays
    shown.clear();
    tray.SetIcons(&list);
    EXPECT_EQ(shown, std::vector<COLORREF>{RGB(0, 255, 0)});
    tray.SetIconIndex(2);
    tray.SetIconIndex(7);  // no such image: the index is kept, the picture stays
    EXPECT_EQ(shown, (std::vector<COLORREF>{RGB(0, 255, 0), RGB(0, 0, 255), RGB(0, 0, 255)}));
    EXPECT_EQ(tray.IconIndex(), 7);
}

// The icon's own window gets no broadcasts; the main window passes on those
// that concern the icon.
TEST_F(TrayTest, ARestartedTaskbarAndTheSessionsEndReachTheIconThroughTheMainWindow) {
    static std::vector<DWORD> actions;  // the tray's destructor still notifies
    actions.clear();
    tray.shellNotify = [](DWORD action, const NOTIFYICONDATAW&) {
        actions.push_back(action);
        return true;
    };
    tray.ShowWhenPossible();
    EXPECT_FALSE(tray.ApplicationHookProc(RegisterWindowMessageW(L"TaskbarCreated"), 0, 0));
    EXPECT_TRUE(tray.InShell());
    EXPECT_FALSE(tray.ApplicationHookProc(WM_ENDSESSION, TRUE, 0));
    EXPECT_FALSE(tray.InShell());
    EXPECT_EQ(actions, (std::vector<DWORD>{NIM_ADD, NIM_ADD, NIM_MODIFY, NIM_DELETE}));
}

TEST_F(TrayTest, AddFailureIsAnErrorButShowWhenPossibleNeverThrows) {
    tray.ShowWhenPossible();
    EXPECT_TRUE(tray.Visible());
    if (!tray.InShell()) {
        // Headless: the shell refuses the icon.
        try {
            tray.SetVisible(true);
            FAIL() << "expected an error";
        } catch (const EOutOfResources& e) {
            EXPECT_STREQ(e.what(), "Cannot Create System Shell Notification Icon");
        }
    }
    // The session's end is always allowed and removes the icon.
    EXPECT_EQ(SendMessageW(tray.Handle(), WM_QUERYENDSESSION, 0, 0), 1);
    SendMessageW(tray.Handle(), WM_ENDSESSION, TRUE, 0);
    EXPECT_FALSE(tray.InShell());
}

// The balloon says only itself: its text cut to the 255 units the balloon
// holds (never half a pair), and no later change of the picture shows it again.
TEST_F(TrayTest, BalloonIsCutToFitAndShownOnce) {
    static std::vector<std::wstring> calls;  // the tray's destructor still notifies
    calls.clear();
    tray.shellNotify = [](DWORD action, const NOTIFYICONDATAW& data) {
        if (action != NIM_MODIFY) return true;
        const bool balloonOnly = data.uFlags == NIF_INFO;
        calls.push_back(balloonOnly ? std::wstring(data.szInfoTitle) + L": " + data.szInfo
                                    : (data.uFlags & NIF_INFO ? L"balloon and more" : L"no balloon"));
        return true;
    };
    EXPECT_FALSE(tray.ShowBalloon("Quillbarrow", "not in the notification area yet"));
    tray.ShowWhenPossible();
    EXPECT_TRUE(tray.ShowBalloon("Quillbarrow", std::string(300, 'a')));
    EXPECT_TRUE(
        tray.ShowBalloon(std::string(70, 't'), std::string(254, 'b') + "\xF0\x9F\x98\x80"));  // U+1F600
    tray.SetIconIndex(3);
    EXPECT_EQ(calls, (std::vector<std::wstring>{L"Quillbarrow: " + std::wstring(255, L'a'),
                                                std::wstring(63, L't') + L": " + std::wstring(254, L'b'),
                                                L"no balloon"}));
}

// While a box or a dialog is open over the disabled window, a click on the
// icon brings that one forward.
TEST_F(TrayTest, RestoreBringsForwardTheWindowToAnswer) {
    base::UniqueHwnd box(CreateWindowExW(0, L"STATIC", L"box", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                         window.Handle(), nullptr, nullptr, nullptr));
    SetForegroundWindow(box.get());
    EnableWindow(window.Handle(), FALSE);
    base::UniqueHwnd other(CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 60, 0, 50, 50,
                                           nullptr, nullptr, nullptr, nullptr));
    SetForegroundWindow(other.get());
    ASSERT_EQ(GetActiveWindow(), other.get());
    Callback(WM_LBUTTONUP);
    EXPECT_EQ(GetActiveWindow(), box.get());
    EnableWindow(window.Handle(), TRUE);
}
