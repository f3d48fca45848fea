#include <windows.h>

#include <gtest/gtest.h>

#include "app/AppFixture.h"
#include "support/ErrorBoxes.h"
#include "settings/Defaults.h"
#include "base/Text.h"

namespace {

using Commands = AppTest;

}  // namespace

TEST_F(Commands, UseProxyWhileDirectSwitchesAndAnimates) {
    Reg().SetString("ProxyServer", "192.0.2.7:80");
    Reg().SetDword("ProxyEnable", 0);
    TfrmMain& f = Start();
    EXPECT_EQ(f.Tray->IconIndex(), 6);
    Click(f.cmdUseProxy);
    EXPECT_EQ(Reg().GetDword("ProxyEnable"), 1u);
    EXPECT_EQ(f.cmdUseProxy.Text(), "Direct (&P)");
    EXPECT_EQ(f.stsBar.PanelText(1), "Using 192.0.2.7:80");
    EXPECT_TRUE(f.Timer.Enabled());
    // The first frame after the direct picture is image 1.
    DWORD start = GetTickCount();
    while (f.Tray->IconIndex() == 6 && GetTickCount() - start < 10000) Pump(50);
    EXPECT_EQ(f.Tray->IconIndex(), 1);

    Click(f.cmdUseProxy);
    EXPECT_EQ(Reg().GetDword("ProxyEnable"), 0u);
    EXPECT_EQ(f.cmdUseProxy.Text(), "Use Proxy (&P)");
    EXPECT_EQ(f.stsBar.PanelText(1), "Direct Connection");
    EXPECT_FALSE(f.Timer.Enabled());
    EXPECT_EQ(f.Tray->IconIndex(), 6);
    EXPECT_EQ(ProxyServer(), "192.0.2.7:80");
}

TEST_F(Commands, TrayMenuTogglesOnlyTheMeaningfulItem) {
    TfrmMain& f = Start();
    f.PopupMenu.ClickItem(f.PM_Direct);  // disabled while direct: nothing happens
    EXPECT_EQ(Reg().GetDword("ProxyEnable"), 0u);
    f.PopupMenu.ClickItem(f.PM_UseProxy);
    EXPECT_EQ(Reg().GetDword("ProxyEnable"), 1u);
    f.PopupMenu.ClickItem(f.PM_UseProxy);  // now disabled
    EXPECT_EQ(Reg().GetDword("ProxyEnable"), 1u);
    f.PopupMenu.ClickItem(f.PM_Direct);
    EXPECT_EQ(Reg().GetDword("ProxyEnable"), 0u);
}

TEST_F(Commands, SetAndUseDefault) {
    Reg().SetDword("ProxyEnable", 1);
    Reg().SetString("ProxyServer", "192.0.2.7:80");
    TfrmMain& f = Start();

    // Use Default with no default stored writes nothing and leaves the switch.
    Click(f.cmdUseDefault);
    EXPECT_EQ(ProxyServer(), "192.0.2.7:80");
    EXPECT_EQ(Reg().GetDword("ProxyEnable"), 1u);

    // Set Default stores the list text and leaves the browser alone.
    f.cmbProxyList.SetText("192.0.2.9:3128");
    Click(f.cmdSetDefault);
    EXPECT_EQ(Ini().ReadString("URL", "DEFAULT", "?"), "192.0.2.9:3128");
    EXPECT_EQ(ProxyServer(), "192.0.2.7:80");

    Click(f.cmdUseDefault);
    EXPECT_EQ(ProxyServer(), "192.0.2.9:3128");
    EXPECT_EQ(f.stsBar.PanelText(1), "Using 192.0.2.9:3128");

    // A text with a control character is refused, and the user is told.
    auto& notices = testing_support::Notices();
    notices.clear();
    f.cmbProxyList.SetText("192.0.2.8:80\t[ZZZ]");
    Click(f.cmdSetDefault);
    base::ProcessMessages();
    EXPECT_EQ(Ini().ReadString("URL", "DEFAULT", "?") + ", told " + std::to_string(notices.size()),
              "192.0.2.9:3128, told 1");
}

TEST_F(Commands, PickedEntryIsWrittenOnlyWhenAWholeHostAndPort) {
    Reg().SetString("ProxyServer", "192.0.2.1:80");
    TfrmMain& f = Start();
    f.cmbProxyList.AddItem("192.0.2.1:8080");
    f.cmbProxyList.AddItem("192.0.2.2:3128");
    PickFromList(f.cmbProxyList, 1);
    EXPECT_EQ(ProxyServer(), "192.0.2.2:3128");
    EXPECT_EQ(f.cmbProxyList.Text(), "192.0.2.2:3128");

    // Longer than the proxy field: cut, it would name another port. Line
    // breaks are pinned end to end and by the registry's own guard.
    const std::string longer = std::string(60, 'h') + "." + std::string(36, 'h') + ":80";
    f.cmbProxyList.AddItem(longer);
    f.cmbProxyList.AddItem("192.0.2.4");
    for (int index : {2, 3}) {
        PickFromList(f.cmbProxyList, index);
        EXPECT_EQ(ProxyServer() + ", " + f.ProxyText, "192.0.2.2:3128, 192.0.2.2:3128") << index;
    }
    // The same from the stored default, by Use Default and at termination.
    Ini().WriteString("URL", "DEFAULT", longer);
    Click(f.cmdUseDefault);
    EXPECT_EQ(ProxyServer(), "192.0.2.2:3128");
    Ini().WriteInteger("TERMINAL", "OPTION", 2);
    f.ApplyTermination();
    EXPECT_EQ(ProxyServer(), "192.0.2.2:3128");
}

TEST_F(Commands, BrowserWithoutProgramFallsBackAfterTermination) {
    Reg().SetDword("ProxyEnable", 1);
    Ini().WriteString("FIREFOX", "PATH", folder / "no-such-firefox.exe");
    TfrmMain& f = Start();
    ASSERT_EQ(f.stsBar.PanelText(1).rfind("Using ", 0), 0u);
    PickFromList(f.cmbBrowser, 2);
    // The browser being left got the termination choice (direct by default)...
    EXPECT_EQ(Reg().GetDword("ProxyEnable"), 0u);
    // ...and the choice fell back to Internet Explorer.
    EXPECT_EQ(f.cmbBrowser.ItemIndex(), 0);
    EXPECT_EQ(f.BrowserIndex, 0);
    EXPECT_EQ(f.Caption(), "Quillbarrow2012 for Internet Explorer");
}

TEST_F(Commands, ChromeAndInternetExplorerShareSettingsButTerminationStillRuns) {
    Reg().SetDword("ProxyEnable", 1);
    Reg().SetString("ProxyServer", "192.0.2.3:80");
    Ini().WriteString("CHROME", "PATH", scratch::HelperProgram("StandInBrowser.exe"));
    Ini().WriteInteger("TERMINAL", "OPTION", 2);
    Ini().WriteString("URL", "DEFAULT", "192.0.2.4:81");
    TfrmMain& f = Start();
    PickFromList(f.cmbBrowser, 1);
    EXPECT_EQ(f.Caption(), "Quillbarrow2012 for Google Chrome");
    EXPECT_EQ(ProxyServer(), "192.0.2.4:81");
    EXPECT_EQ(f.stsBar.PanelText(1), "Using 192.0.2.4:81");
}

TEST_F(Commands, TestOpensTesterPagesByMouseButton) {
    std::string browser = scratch::HelperProgram("StandInBrowser.exe");
    ASSERT_TRUE(scratch::Exists(browser));
    const std::string launched = "\"" + browser + "\" ";  // the path quoted, one blank, the page
    Ini().WriteString("CHROME", "PATH", browser);
    Ini().WriteInteger("BROWSER", "DEFAULT", 1);
    std::string record = folder / "record.txt";
    SetEnvironmentVariableW(L"QB_STANDIN_RECORD", base::Widen(record).c_str());
    TfrmMain& f = Start();

    auto pressAndRead = [&](UINT message) {
        DeleteFileW(base::Widen(record).c_str());
        SendMessageW(f.cmdCheck.Handle(), message, 0, MAKELPARAM(5, 5));
        // WM_xBUTTONUP comes one after a button-down and one before a double click.
        UINT release = (message - WM_LBUTTONDOWN) % 3 == 0 ? message + 1 : message - 1;
        SendMessageW(f.cmdCheck.Handle(), release, 0, MAKELPARAM(5, 5));
        std::string r = scratch::WaitForFile(record);
        return r.substr(0, r.find('\n'));
    };
    EXPECT_EQ(pressAndRead(WM_RBUTTONDOWN), launched + defaults::DefaultChecker2Url);
    EXPECT_EQ(pressAndRead(WM_LBUTTONDOWN), launched + defaults::DefaultChecker1Url);
    EXPECT_EQ(pressAndRead(WM_MBUTTONDOWN), launched + defaults::DefaultChecker1Url);
    // A quick double click is down, up, double-click, up: each press starts the browser.
    EXPECT_EQ(pressAndRead(WM_LBUTTONDOWN), launched + defaults::DefaultChecker1Url);
    EXPECT_EQ(pressAndRead(WM_LBUTTONDBLCLK), launched + defaults::DefaultChecker1Url);
    EXPECT_EQ(pressAndRead(WM_RBUTTONDOWN), launched + defaults::DefaultChecker2Url);
    EXPECT_EQ(pressAndRead(WM_RBUTTONDBLCLK), launched + defaults::DefaultChecker2Url);

    // The tray's Test always opens the first tester page.
    Ini().WriteString("URL", "CHECKER1", "192.0.2.8/test");
    DeleteFileW(base::Widen(record).c_str());
    f.PopupMenu.ClickItem(f.PM_Test);
    std::string r = scratch::WaitForFile(record);
    EXPECT_EQ(r.substr(0, r.find('\n')), launched + "192.0.2.8/test");

    // The keyboard's click does nothing: the right button pressed after it
    // leaves the only record.
    DeleteFileW(base::Widen(record).c_str());
    SendMessageW(f.Handle(), WM_COMMAND, MAKEWPARAM(f.cmdCheck.Id(), BN_CLICKED),
                 reinterpret_cast<LPARAM>(f.cmdCheck.Handle()));
    SendMessageW(f.cmdCheck.Handle(), WM_RBUTTONDOWN, 0, MAKELPARAM(5, 5));
    SendMessageW(f.cmdCheck.Handle(), WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(scratch::WaitForFile(record), launched + defaults::DefaultChecker2Url + "\n2 800 600\n");
    SetEnvironmentVariableW(L"QB_STANDIN_RECORD", nullptr);
}

TEST_F(Commands, ListTypeAndOptionAreOnlyRemembered) {
    TfrmMain& f = Start();
    Click(f.RadioProxyType1);
    Click(f.RadioOption2);
    EXPECT_EQ(f.ProxyType, 1);
    EXPECT_EQ(f.ProxyOption, 2);
    EXPECT_TRUE(f.RadioProxyType1.Checked());
    EXPECT_FALSE(f.RadioProxyType0.Checked());
    EXPECT_FALSE(scratch::Exists(IniPath()));
}

TEST_F(Commands, MinimiseAndRestoreThroughTheTray) {
    TfrmMain& f = Start();
    SendMessageW(f.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(IsIconic(f.Handle()));
    EXPECT_TRUE(f.PopupMenu.ItemEnabled(f.PM_Open));
    // Without an icon in the notification area the window keeps its taskbar
    // button, so it can always be reached.
    if (!f.Tray->InShell()) EXPECT_TRUE(IsWindowVisible(f.Handle()));
    f.PopupMenu.ClickItem(f.PM_Open);
    EXPECT_FALSE(IsIconic(f.Handle()));
    EXPECT_TRUE(IsWindowVisible(f.Handle()));
    EXPECT_FALSE(f.PopupMenu.ItemEnabled(f.PM_Open));
}

TEST_F(Commands, QuitRunsTerminationOnceAndEnds) {
    Reg().SetDword("ProxyEnable", 1);
    TfrmMain& f = Start();
    HWND hwnd = f.Handle();
    f.PopupMenu.ClickItem(f.PM_Quit);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(Reg().GetDword("ProxyEnable"), 0u);
    EXPECT_EQ(Ini().ReadInteger("POSITION", "M_TOP", -1), 300);
    // A quit message is waiting for the loop.
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
    // The termination choice is not carried out a second time.
    Reg().SetDword("ProxyEnable", 1);
    form.reset();
    EXPECT_EQ(Reg().GetDword("ProxyEnable"), 1u);
}
