#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/AboutWindow.h"
#include "app/AppFixture.h"
#include "browsers/Proxy.h"
#include "settings/Defaults.h"
#include "support/IconPixel.h"

using MainWindow = AppTest;

namespace {
// The colour at (x, y) of an image of the list, drawn over pure green.
COLORREF PixelOf(const ui::ImageList& list, int image, int x, int y) {
    return qbtest::IconPixel(list.GetIcon(image).get(), x, y, RGB(0, 255, 0));
}
}  // namespace

// What the first show does before the window appears, and what it leaves
// until the window is on the screen.
TEST_F(MainWindow, FirstShowAddsTheTrayIconOnceAndLeavesTheDialogsForLater) {
    struct Call {
        DWORD action;
        std::wstring tip;
        HICON icon;
    };
    static std::vector<Call> calls;  // the tray's destructor still notifies
    calls.clear();
    form = std::make_unique<TfrmMain>(Options());
    form->Tray->shellNotify = [](DWORD action, const NOTIFYICONDATAW& data) {
        calls.push_back({action, data.szTip, data.hIcon});
        return true;
    };
    form->Show();
    EXPECT_FALSE(form->SettingDialog);
    EXPECT_EQ(form->AboutDialog->Handle(), nullptr);
    base::ProcessMessages();
    EXPECT_TRUE(form->SettingDialog);
    EXPECT_NE(form->AboutDialog->Handle(), nullptr);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].action, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(calls[0].tip, L"Quillbarrow2012 \nDirect");
    ui::ImageList shown(32);
    shown.AddIcon(calls[0].icon);
    EXPECT_EQ(PixelOf(shown, 0, 10, 10), RGB(190, 190, 190));  // the direct-connection picture
    form.reset();
    DrainQuit();
}

TEST_F(MainWindow, TheSevenStatePicturesInTheirOrder) {
    TfrmMain& f = Start();
    ASSERT_EQ(f.IconList.Count(), 7);
    const COLORREF kClear = RGB(0, 255, 0), kRelay = RGB(255, 200, 0), kSea = RGB(40, 120, 220);
    struct Probe {
        int image, x, y;
        COLORREF colour;
    } probes[] = {
        {0, 16, 3, kRelay},
        {0, 10, 10, kSea},
        {0, 0, 0, kClear},  // the relay dot at the top
        {1, 27, 10, kRelay},
        {1, 16, 3, kClear},  // then a sixth of a turn on
        {3, 16, 29, kRelay},
        {3, 16, 3, kClear},  // at the bottom
        {5, 5, 10, kRelay},  // and back near the top
        {6, 10, 10, RGB(190, 190, 190)},
        {6, 16, 3, kClear},  // direct: grey, no relay
    };
    for (const Probe& p : probes)
        EXPECT_EQ(PixelOf(f.IconList, p.image, p.x, p.y), p.colour) << p.image << " at " << p.x << "," << p.y;
}

TEST_F(MainWindow, FirstStartWithoutSettingsFile) {
    TfrmMain& f = Start();
    EXPECT_EQ(f.Left(), 300);
    EXPECT_EQ(f.Top(), 300);
    EXPECT_EQ(f.Caption(), "Quillbarrow2012 for Internet Explorer");
    EXPECT_TRUE(f.RadioProxyType0.Checked());
    EXPECT_FALSE(f.RadioProxyType1.Checked());
    EXPECT_TRUE(f.RadioOption1.Checked());
    EXPECT_FALSE(f.RadioOption0.Checked());
    EXPECT_EQ(f.ProxyType, 0);
    EXPECT_EQ(f.ProxyOption, 1);
    EXPECT_EQ(f.TimeOutSec, 10);
    EXPECT_EQ(f.cmbBrowser.ItemIndex(), 0);
    ASSERT_EQ(f.stsBar.PanelCount(), 2);
    EXPECT_EQ(f.stsBar.PanelText(0), "Not Obtained");
    EXPECT_EQ(f.stsBar.PanelText(1), "Direct Connection");
    EXPECT_EQ(f.cmdUseProxy.Text(), "Use Proxy (&P)");
    EXPECT_FALSE(f.PopupMenu.ItemEnabled(f.PM_Open));
    EXPECT_TRUE(f.PopupMenu.ItemEnabled(f.PM_UseProxy));
    EXPECT_FALSE(f.PopupMenu.ItemEnabled(f.PM_Direct));
    EXPECT_EQ(f.Tray->Hint(), "Quillbarrow2012 \nDirect");
    EXPECT_EQ(f.Tray->IconIndex(), 6);
    EXPECT_FALSE(scratch::Exists(IniPath()));

    CloseByCloseBox();
    // Closing creates the file with the window position only, as UTF-16LE
    // with its byte-order mark.
    const std::u16string text = u"\uFEFF[POSITION]\r\nM_TOP=300\r\nM_LEFT=300\r\n";
    EXPECT_EQ(scratch::ReadBytes(IniPath()),
              std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2));
    // ...and, with the termination choice absent, switched the browser to direct.
    EXPECT_EQ(Reg().GetDword("ProxyEnable"), 0u);
}

TEST_F(MainWindow, StoredSelectionsOutOfRangeTurnNoRadioButtonOn) {
    IniFile ini = Ini();
    ini.WriteInteger("SERVER", "TYPE", 5);
    ini.WriteInteger("SERVER", "ANYOPTION", 7);
    TfrmMain& f = Start();
    EXPECT_FALSE(f.RadioProxyType0.Checked() || f.RadioProxyType1.Checked() || f.RadioProxyType2.Checked());
    EXPECT_FALSE(f.RadioOption0.Checked() || f.RadioOption1.Checked() || f.RadioOption2.Checked() ||
                 f.RadioOption3.Checked());
    EXPECT_EQ(f.ProxyType, 5);
    EXPECT_EQ(f.ProxyOption, 7);
    // Neither radio group has a checked button to take the first focus, and
    // focusing an unchecked one would pick it: the focus goes to the next control.
    EXPECT_EQ(GetFocus(), f.cmbBrowser.Handle());
    EXPECT_EQ(f.ProxyType, 5);
    // Picking a radio button replaces the stored number.
    SendMessageW(f.RadioProxyType2.Handle(), BM_CLICK, 0, 0);
    SendMessageW(f.RadioOption3.Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(f.ProxyType, 2);
    EXPECT_EQ(f.ProxyOption, 3);
}

TEST_F(MainWindow, StoredSelectionsAndPosition) {
    IniFile ini = Ini();
    ini.WriteInteger("SERVER", "TYPE", 2);
    ini.WriteInteger("SERVER", "ANYOPTION", 0);
    ini.WriteInteger("BROWSER", "DEFAULT", 1);
    ini.WriteInteger("POSITION", "M_TOP", 120);
    ini.WriteInteger("POSITION", "M_LEFT", 140);
    ini.WriteString("TIMEOUT", "PROXY", "0x1E");
    TfrmMain& f = Start();
    EXPECT_TRUE(f.RadioProxyType2.Checked());
    EXPECT_TRUE(f.RadioOption0.Checked());
    EXPECT_EQ(f.Caption(), "Quillbarrow2012 for Google Chrome");
    EXPECT_EQ(f.cmbBrowser.ItemIndex(), 1);
    EXPECT_EQ(f.Top(), 120);
    EXPECT_EQ(f.Left(), 140);
    EXPECT_EQ(f.TimeOutSec, 30);
}

TEST_F(MainWindow, StoredPositionMustLeaveTheCaptionWithinReach) {
    struct Case {
        int left, top, expectedLeft, expectedTop;
    } cases[] = {
        {-300, 120, -300, 120},  // 146 pixels of the caption show: kept
        {-400, 120, 0, 120},     // 46 pixels are too few to grab
        {-445, 120, 0, 120},     // a single pixel
        {140, -5, 140, 0},       // the caption's top rows above the screen
        {-30000, -30000, 0, 0},  // on no monitor at all
    };
    for (const Case& c : cases) {
        IniFile ini = Ini();
        ini.WriteInteger("POSITION", "M_LEFT", c.left);
        ini.WriteInteger("POSITION", "M_TOP", c.top);
        TfrmMain& f = Start();
        ASSERT_EQ(f.Width(), 446) << "the rows assume this width";
        EXPECT_EQ(f.Left(), c.expectedLeft) << c.left << "," << c.top;
        EXPECT_EQ(f.Top(), c.expectedTop) << c.left << "," << c.top;
        form.reset();
    }
}

TEST_F(MainWindow, ClosedWhileMinimisedStoresTheNormalPosition) {
    TfrmMain& f = Start();
    SetWindowPos(f.Handle(), nullptr, 210, 220, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(f.Handle(), SW_MINIMIZE);
    CloseByCloseBox();
    IniFile ini = Ini();
    EXPECT_EQ(ini.ReadInteger("POSITION", "M_LEFT", 0), 210);
    EXPECT_EQ(ini.ReadInteger("POSITION", "M_TOP", 0), 220);
}

TEST_F(MainWindow, GarbageSettingsFileLoadsDefaults) {
    std::string garbage;
    for (int i = 0; i < 5000; ++i) garbage += static_cast<char>((i * 7919) % 256);
    garbage += "\r\n[SERVER]\r\nTYPE=" + std::string(10000, '9') + "\r\nANYOPTION=\x01\x02\r\n";
    scratch::WriteBytes(IniPath(), garbage);
    TfrmMain& f = Start();
    EXPECT_EQ(f.ProxyType, 0);
    EXPECT_EQ(f.ProxyOption, 1);
    EXPECT_EQ(f.Caption(), "Quillbarrow2012 for Internet Explorer");
}

TEST_F(MainWindow, ApplyTerminationByChoice) {
    TfrmMain& f = Start();
    IniFile ini = Ini();
    RegFile reg = Reg();
    ini.WriteString("URL", "DEFAULT", "192.0.2.50:8080");

    // 0 keeps what the browser has.
    reg.SetDword("ProxyEnable", 1);
    reg.SetString("ProxyServer", "192.0.2.1:80");
    ini.WriteInteger("TERMINAL", "OPTION", 0);
    f.ApplyTermination();
    EXPECT_EQ(reg.GetDword("ProxyEnable"), 1u);

    // 1 switches to a direct connection and keeps the address.
    ini.WriteInteger("TERMINAL", "OPTION", 1);
    f.ApplyTermination();
    EXPECT_EQ(reg.GetDword("ProxyEnable"), 0u);
    EXPECT_EQ(f.UsingProxy, 0);
    std::string server;
    reg.GetString("ProxyServer", server);
    EXPECT_EQ(server, "192.0.2.1:80");

    // 2 switches the proxy on with the default address.
    ini.WriteInteger("TERMINAL", "OPTION", 2);
    f.RefreshState();
    f.ApplyTermination();
    EXPECT_EQ(reg.GetDword("ProxyEnable"), 1u);
    reg.GetString("ProxyServer", server);
    EXPECT_EQ(server, "192.0.2.50:8080");
    EXPECT_EQ(f.UsingProxy, 1);

    // Any other value does nothing.
    reg.SetDword("ProxyEnable", 0);
    ini.WriteInteger("TERMINAL", "OPTION", 3);
    f.ApplyTermination();
    EXPECT_EQ(reg.GetDword("ProxyEnable"), 0u);
}

TEST_F(MainWindow, DefaultProxyChoiceWithEmptyDefaultWritesNoAddress) {
    TfrmMain& f = Start();
    Ini().WriteInteger("TERMINAL", "OPTION", 2);
    Reg().SetString("ProxyServer", "192.0.2.1:80");
    f.RefreshState();
    f.ApplyTermination();
    std::string server = "unchanged";
    Reg().GetString("ProxyServer", server);
    EXPECT_EQ(server, "192.0.2.1:80");
    EXPECT_EQ(Reg().GetDword("ProxyEnable"), 1u);
}

TEST_F(MainWindow, ShowsTheRegistryStateOfTheBrowser) {
    Reg().SetDword("ProxyEnable", 1);
    Reg().SetString("ProxyServer", "ftp=192.0.2.1:21;http=192.0.2.2:80");
    TfrmMain& f = Start();
    EXPECT_EQ(f.cmdUseProxy.Text(), "Direct (&P)");
    EXPECT_EQ(f.stsBar.PanelText(1), "Using 192.0.2.2:80");
    EXPECT_EQ(f.cmbProxyList.Text(), "192.0.2.2:80");
    EXPECT_EQ(f.Tray->Hint(), "Quillbarrow2012 \nUsing Proxy");
    EXPECT_TRUE(f.Timer.Enabled());
    EXPECT_FALSE(f.PopupMenu.ItemEnabled(f.PM_UseProxy));
    EXPECT_TRUE(f.PopupMenu.ItemEnabled(f.PM_Direct));
}

TEST(Dispatcher, CaptionByKind) {
    EXPECT_EQ(Proxy::Caption(0), "Quillbarrow2012 for Internet Explorer");
    EXPECT_EQ(Proxy::Caption(1), "Quillbarrow2012 for Google Chrome");
    EXPECT_EQ(Proxy::Caption(2), "Quillbarrow2012 for Mozilla Firefox");
    EXPECT_EQ(Proxy::Caption(3), "Quillbarrow2012 for Opera");
    EXPECT_EQ(Proxy::Caption(4), "Quillbarrow2012 for Microsoft Edge");
    EXPECT_EQ(Proxy::Caption(5), "Quillbarrow2012 ");
    EXPECT_EQ(Proxy::Caption(-1), "Quillbarrow2012 ");
}

TEST_F(MainWindow, UnknownBrowserKindReadsDirectAndWritesNothing) {
    Reg().SetDword("ProxyEnable", 1);
    Ini().WriteInteger("BROWSER", "DEFAULT", 9);
    TfrmMain& f = Start();
    EXPECT_EQ(f.Caption(), "Quillbarrow2012 ");
    EXPECT_EQ(f.stsBar.PanelText(1), "Direct Connection");
    f.cmdUseProxyClick();
    f.ApplyTermination();
    EXPECT_EQ(Reg().GetDword("ProxyEnable"), 1u);
}

TEST_F(MainWindow, TabWalksTheControlsInLayoutOrder) {
    TfrmMain& f = Start();
    SetForegroundWindow(f.Handle());
    SetFocus(f.RadioProxyType0.Handle());
    auto owner = [&](HWND focus) -> HWND {
        // The editable list's focus sits in its edit child.
        return GetParent(focus) == f.cmbProxyList.Handle() ? f.cmbProxyList.Handle() : focus;
    };
    std::vector<HWND> expected = {
        f.RadioOption1.Handle(),    f.cmbBrowser.Handle(), f.cmdSetting.Handle(),
        f.cmbProxyList.Handle(),    f.cmdGetList.Handle(), f.cmdSetDefault.Handle(),
        f.cmdUseDefault.Handle(),   f.cmdCheck.Handle(),   f.cmdUseProxy.Handle(),
        f.RadioProxyType0.Handle(),
    };
    for (size_t i = 0; i < expected.size(); ++i) {
        PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
        base::ProcessMessages();
        EXPECT_EQ(owner(GetFocus()), expected[i]) << "after Tab " << i + 1;
    }
}

TEST_F(MainWindow, KeyboardFocusIsOnAControlAndComesBackWithTheWindow) {
    Ini().WriteInteger("SERVER", "TYPE", 1);
    TfrmMain& f = Start();
    // The first control in tab order: the checked button of the first radio group.
    EXPECT_EQ(GetFocus(), f.RadioProxyType1.Handle());

    // Another window takes the activation, then the user comes back.
    SetFocus(f.cmdUseProxy.Handle());
    base::UniqueHwnd other(CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                           nullptr, nullptr, nullptr, nullptr));
    SetForegroundWindow(other.get());
    ASSERT_EQ(GetActiveWindow(), other.get());
    EXPECT_NE(GetFocus(), f.cmdUseProxy.Handle());
    SetForegroundWindow(f.Handle());
    EXPECT_EQ(GetFocus(), f.cmdUseProxy.Handle());

    // To the notification area and back.
    SetFocus(f.cmdGetList.Handle());
    SendMessageW(f.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    f.PopupMenu.ClickItem(f.PM_Open);
    EXPECT_EQ(GetFocus(), f.cmdGetList.Handle());
}
