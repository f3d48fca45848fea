#include <gtest/gtest.h>

#include <functional>

#include "app/AppFixture.h"
#include "support/ErrorBoxes.h"
#include "support/LockHolder.h"
#include "support/LoopbackServer.h"
#include "base/Text.h"

using BrowsersInWindow = AppTest;

namespace {

// An Opera 12 preference file named in the settings, held open without
// sharing as another program may hold it: every write to it is refused.
base::UniqueHandle HoldOperaPrefs(const scratch::Folder& folder) {
    const std::string prefs = folder / "operaprefs.ini";
    scratch::WriteBytes(prefs, "[Proxy]\r\nHTTP Server=192.0.2.70:3128\r\n");
    IniFile(folder / "Quillbarrow.ini").WriteString("OPERA", "INIFILE", prefs);
    HANDLE h = CreateFileW(base::Widen(prefs).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    return base::UniqueHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

FILETIME WrittenAt(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(base::Widen(path).c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

}  // namespace

TEST_F(BrowsersInWindow, FirefoxProfileStateIsShownAndChanged) {
    std::string prefs = scratch::MakeFirefoxProfile(folder / "AppData");
    scratch::WriteBytes(prefs,
                        "user_pref(\"browser.startup.page\", 3);\n"
                        "user_pref(\"network.proxy.http\", \"192.0.2.11\");\n"
                        "user_pref(\"network.proxy.http_port\", 3128);\n"
                        "user_pref(\"network.proxy.type\", 1);\n");
    Ini().WriteInteger("BROWSER", "DEFAULT", 2);
    TfrmMain& f = Start();
    EXPECT_EQ(f.Caption(), "Quillbarrow2012 for Mozilla Firefox");
    EXPECT_EQ(f.stsBar.PanelText(1), "Using 192.0.2.11:3128");
    EXPECT_EQ(f.cmdUseProxy.Text(), "Direct (&P)");

    SendMessageW(f.cmdUseProxy.Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(f.stsBar.PanelText(1), "Direct Connection");
    EXPECT_EQ(scratch::ReadBytes(prefs),
              "user_pref(\"browser.startup.page\", 3);\n"
              "user_pref(\"network.proxy.http\", \"192.0.2.11\");\n"
              "user_pref(\"network.proxy.http_port\", 3128);\n");
}

TEST_F(BrowsersInWindow, SwitchingToFirefoxAppliesTerminationToInternetExplorer) {
    scratch::WriteBytes(scratch::MakeFirefoxProfile(folder / "AppData", "y.default"), "");
    Ini().WriteString("FIREFOX", "PATH", scratch::HelperProgram("StandInBrowser.exe"));
    Reg().SetDword("ProxyEnable", 1);
    TfrmMain& f = Start();
    PickFromList(f.cmbBrowser, 2);
    EXPECT_EQ(Reg().GetDword("ProxyEnable"), 0u);
    EXPECT_EQ(f.Caption(), "Quillbarrow2012 for Mozilla Firefox");
    EXPECT_EQ(f.stsBar.PanelText(1), "Direct Connection");
}

TEST_F(BrowsersInWindow, OperaWriteErrorIsShownAndTheProgramGoesOn) {
    base::UniqueHandle held = HoldOperaPrefs(folder);
    ASSERT_TRUE(held);
    Ini().WriteInteger("BROWSER", "DEFAULT", 3);
    TfrmMain& f = Start();
    EXPECT_EQ(f.cmbProxyList.Text(), "0");  // unreadable: the missing-value text
    testing_support::ErrorBoxes().clear();
    SendMessageW(f.cmdUseProxy.Handle(), BM_CLICK, 0, 0);
    ASSERT_EQ(testing_support::ErrorBoxes().size(), 1u);
    EXPECT_EQ(testing_support::ErrorBoxes()[0], folder / "operaprefs.ini に書き込めません");
    EXPECT_TRUE(IsWindow(f.Handle()));
    EXPECT_EQ(f.stsBar.PanelText(1), "Direct Connection");
}

TEST_F(BrowsersInWindow, RefusedTerminationWriteIsShownButNeverTrapsTheUser) {
    base::UniqueHandle held = HoldOperaPrefs(folder);
    ASSERT_TRUE(held);
    Ini().WriteInteger("BROWSER", "DEFAULT", 3);
    TfrmMain& f = Start();
    testing_support::ErrorBoxes().clear();

    // Leaving Opera: the error is shown and the switch still happens.
    PickFromList(f.cmbBrowser, 0);
    EXPECT_EQ(testing_support::ErrorBoxes().size(), 1u);
    EXPECT_EQ(f.Caption(), "Quillbarrow2012 for Internet Explorer");
    EXPECT_EQ(f.BrowserIndex, 0);

    // Closing with Opera selected: the error is shown and the window closes.
    Ini().WriteInteger("BROWSER", "DEFAULT", 3);
    form.reset();
    DrainQuit();
    TfrmMain& g = Start();
    testing_support::ErrorBoxes().clear();
    HWND hwnd = g.Handle();
    SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(testing_support::ErrorBoxes().size(), 1u);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(Ini().ReadInteger("POSITION", "M_TOP", -1), 300);
}

TEST_F(BrowsersInWindow, RunningFirefoxKeepsItsPrefsAndEachCommandSaysSoOnce) {
    const std::string prefs = scratch::MakeFirefoxProfile(folder / "AppData");
    const std::string lock = prefs.substr(0, prefs.rfind('\\')) + "\\parent.lock";
    const std::string direct =
        "user_pref(\"network.proxy.http\", \"192.0.2.11\");\nuser_pref(\"network.proxy.http_port\", 3128);\n";
    const std::string original = direct + "user_pref(\"network.proxy.type\", 1);\n";
    scratch::WriteBytes(prefs, original);
    qbtest::LoopbackServer lists({qbtest::Reply().Send(qbtest::HttpResponse(
        "200 OK", {}, "<tr><th>hour</th></tr><a class=\"xA\">192.0.2.10:8080</a><!-- end -->"))});
    Ini().WriteString("URL", "ANONYMOUS", lists.Url("/pla5.html").substr(7));
    Ini().WriteString("URL", "DEFAULT", "192.0.2.62:8062");
    Ini().WriteInteger("TERMINAL", "OPTION", 2);  // the end would switch the proxy on
    Ini().WriteString("FIREFOX", "PATH", scratch::HelperProgram("StandInBrowser.exe"));
    Ini().WriteInteger("BROWSER", "DEFAULT", 2);
    auto& notices = testing_support::Notices();
    notices.clear();

    // Without a lock file: the switch works, and no lock file appears.
    TfrmMain& f = Start();
    SendMessageW(f.cmdUseProxy.Handle(), BM_CLICK, 0, 0);
    SendMessageW(f.cmdUseProxy.Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(scratch::ReadBytes(prefs), original);
    EXPECT_FALSE(scratch::Exists(lock));
    base::ProcessMessages();
    EXPECT_TRUE(notices.empty());

    {
        scratch::LockHolder firefox(lock);
        ASSERT_TRUE(firefox.Holding());
        const std::function<void()> commands[] = {
            [&] { SendMessageW(f.cmdUseProxy.Handle(), BM_CLICK, 0, 0); },  // Direct
            [&] { f.PopupMenu.ClickItem(f.PM_Direct); },
            [&] { SendMessageW(f.cmdUseDefault.Handle(), BM_CLICK, 0, 0); },
            [&] { SendMessageW(f.cmdGetList.Handle(), BM_CLICK, 0, 0); },
            [&] { PickFromList(f.cmbProxyList, 0); },
        };
        for (size_t i = 0; i < std::size(commands); ++i) {
            commands[i]();
            base::ProcessMessages();  // the notice opens once the command is done
            ASSERT_EQ(notices.size(), i + 1) << "command " << i;
            EXPECT_EQ(notices[i].owner, f.Handle());
            EXPECT_NE(notices[i].text.find("Close Firefox"), std::string::npos);
            EXPECT_EQ(scratch::ReadBytes(prefs), original) << "command " << i;
            EXPECT_EQ(f.stsBar.PanelText(1), "Using 192.0.2.11:3128");
        }
        EXPECT_EQ(f.cmbProxyList.Count(), 1);  // Get Proxy still shows its list
        EXPECT_EQ(f.stsBar.PanelText(0), "Obtained");

        // Leaving Firefox, coming back and closing: no write and not a word.
        PickFromList(f.cmbBrowser, 0);
        PickFromList(f.cmbBrowser, 2);
        CloseByCloseBox();
        base::ProcessMessages();
        EXPECT_EQ(notices.size(), std::size(commands));
        EXPECT_EQ(scratch::ReadBytes(prefs), original);
    }

    // The lock an ended Firefox leaves behind blocks nothing and keeps its time stamp.
    const FILETIME lockTime = WrittenAt(lock);
    notices.clear();
    SendMessageW(Start().cmdUseProxy.Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(scratch::ReadBytes(prefs), direct);
    base::ProcessMessages();
    EXPECT_TRUE(notices.empty());
    const FILETIME lockTimeAfter = WrittenAt(lock);
    EXPECT_EQ(CompareFileTime(&lockTime, &lockTimeAfter), 0);
}

TEST_F(BrowsersInWindow, FirefoxThatCannotFollowIsToldOncePerRunAndStillSwitched) {
    RunFirefox("");
    const std::string userJs = prefs.substr(0, prefs.rfind('\\')) + "\\user.js";
    scratch::WriteBytes(userJs, "user_pref(\"a\", 1);\r\n");
    scratch::SetReadOnly(userJs, true);
    TfrmMain& f = Start();
    f.SetFirefoxFollowsWindows(true);
    base::ProcessMessages();
    auto& notices = testing_support::Notices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(notices[0].text.find("cannot be set to follow the Windows proxy settings"), std::string::npos);
    Click(f.cmdUseProxy);  // finds the line missing again
    base::ProcessMessages();
    EXPECT_EQ(Switch() + ", told " + std::to_string(notices.size()), " on, told 1");
    scratch::SetReadOnly(userJs, false);
}

TEST_F(BrowsersInWindow, APickedBrowserIsFoundWhereItIsInstalledOrNamedInOneNotice) {
    auto& notices = testing_support::Notices();
    notices.clear();
    // At start-up the program is not looked for, so nothing is said; an
    // older settings file's 4 is Edge now.
    Ini().WriteInteger("BROWSER", "DEFAULT", 4);
    TfrmMain& f = Start();
    base::ProcessMessages();
    EXPECT_EQ(f.Caption() + ", " + f.cmbBrowser.Text() + ", told " + std::to_string(notices.size()),
              "Quillbarrow2012 for Microsoft Edge, Microsoft Edge, told 0");

    PickFromList(f.cmbBrowser, 4);
    base::ProcessMessages();
    EXPECT_EQ(f.Caption() + ", " + std::to_string(f.cmbBrowser.ItemIndex()),
              "Quillbarrow2012 for Internet Explorer, 0");
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(
        notices[0].text,
        "Microsoft Edge (msedge.exe) was not found, so Internet Explorer is selected.\n\nLooked in:\n- " +
            folder / "PF\\Microsoft\\Edge\\Application\\msedge.exe\n- " +
            folder / "PF86\\Microsoft\\Edge\\Application\\msedge.exe\n- " +
            folder / "Local\\Microsoft\\Edge\\Application\\msedge.exe\n" +
            "\nIf it is installed elsewhere, give its path in the Setting dialog.");
    Ini().WriteString("FIREFOX", "PATH", folder / "no-such\\firefox.exe");
    PickFromList(f.cmbBrowser, 2);
    base::ProcessMessages();
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_NE(notices[1].text.find("\n- " + folder / "no-such\\firefox.exe (the path in the settings)\n"),
              std::string::npos);

    // Chrome for one user: found and kept, silently; its path is not stored.
    scratch::PlaceStandInBrowser(folder / "Local\\Google\\Chrome\\Application\\chrome.exe");
    PickFromList(f.cmbBrowser, 1);
    base::ProcessMessages();
    EXPECT_EQ(f.Caption() + ", " + Ini().ReadString("CHROME", "PATH", "not stored") + ", told " +
                  std::to_string(notices.size()),
              "Quillbarrow2012 for Google Chrome, not stored, told 2");
}

// While Firefox runs, ending the program by closing it or with the session
// applies no termination choice and says nothing, and the window is gone at once.
TEST_F(BrowsersInWindow, TerminationWhileFirefoxRunsWritesAndShowsNothing) {
    const std::string original =
        "user_pref(\"network.proxy.http\", \"192.0.2.11\");\nuser_pref(\"network.proxy.type\", 1);\n";
    RunFirefox(original);
    Ini().WriteString("URL", "DEFAULT", "192.0.2.62:8062");
    for (int choice : {1, 2}) {  // direct, the default proxy
        for (UINT end : {WM_CLOSE, WM_ENDSESSION}) {
            SCOPED_TRACE(std::to_string(choice) + (end == WM_CLOSE ? " closed" : " session end"));
            Ini().WriteInteger("TERMINAL", "OPTION", choice);
            HWND hwnd = Start().Handle();
            SendMessageW(hwnd, end, end == WM_ENDSESSION, 0);
            base::ProcessMessages();
            EXPECT_EQ(std::string(IsWindow(hwnd) ? "shown" : "gone") + ", told " +
                          std::to_string(testing_support::Notices().size()) +
                          (scratch::ReadBytes(prefs) == original ? "" : ", written"),
                      "gone, told 0");
            form.reset();
            DrainQuit();
        }
    }
}
