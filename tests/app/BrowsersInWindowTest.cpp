#include <gtest/gtest.h>

#include <functional>

#include "app/AppFixture.h"
#include "support/ErrorBoxes.h"
#include "support/LockHolder.h"
#include "support/LoopbackServer.h"
#include "base/Text.h"

using BrowsersInWindow = AppTest;

namespace {

void Pick(TfrmMain& f, const ui::ComboBox& combo, int index) {
    SendMessageW(combo.Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(f.Handle(), WM_COMMAND, MAKEWPARAM(combo.Id(), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo.Handle()));
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
    SendMessageW(f.cmbBrowser.Handle(), CB_SETCURSEL, 2, 0);
    SendMessageW(f.Handle(), WM_COMMAND, MAKEWPARAM(f.cmbBrowser.Id(), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(f.cmbBrowser.Handle()));
    EXPECT_EQ(Reg().GetDword("ProxyEnable"), 0u);
    EXPECT_EQ(f.Caption(), "Quillbarrow2012 for Mozilla Firefox");
    EXPECT_EQ(f.stsBar.PanelText(1), "Direct Connection");
}

TEST_F(BrowsersInWindow, OperaWriteErrorIsShownAndTheProgramGoesOn) {
    // The default Opera path still holds the user-name placeholder: no such folder.
    Ini().WriteInteger("BROWSER", "DEFAULT", 3);
    TfrmMain& f = Start();
    EXPECT_EQ(f.cmbProxyList.Text(), "0");  // a missing server reads "0"
    testing_support::ErrorBoxes().clear();
    SendMessageW(f.cmdUseProxy.Handle(), BM_CLICK, 0, 0);
    ASSERT_EQ(testing_support::ErrorBoxes().size(), 1u);
    const std::string& box = testing_support::ErrorBoxes()[0];
    EXPECT_NE(box.find("%USER%"), std::string::npos);
    EXPECT_NE(box.find(" に書き込めません"), std::string::npos);
    EXPECT_TRUE(IsWindow(f.Handle()));
    EXPECT_EQ(f.stsBar.PanelText(1), "Direct Connection");
}

TEST_F(BrowsersInWindow, RefusedTerminationWriteIsShownButNeverTrapsTheUser) {
    Ini().WriteInteger("BROWSER", "DEFAULT", 3);  // Opera at its unfilled default path
    TfrmMain& f = Start();
    testing_support::ErrorBoxes().clear();

    // Leaving Opera: the error is shown and the switch still happens.
    SendMessageW(f.cmbBrowser.Handle(), CB_SETCURSEL, 0, 0);
    SendMessageW(f.Handle(), WM_COMMAND, MAKEWPARAM(f.cmbBrowser.Id(), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(f.cmbBrowser.Handle()));
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
        Pick(f, f.cmbBrowser, 0);
        Pick(f, f.cmbBrowser, 2);
        CloseByCloseBox();
        EXPECT_EQ(notices.size(), std::size(commands));
        EXPECT_EQ(scratch::ReadBytes(prefs), original);
    }

    // The lock an ended Firefox leaves behind blocks nothing and keeps its time stamp.
    const FILETIME lockTime = WrittenAt(lock);
    notices.clear();
    SendMessageW(Start().cmdUseProxy.Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(scratch::ReadBytes(prefs), direct);
    EXPECT_TRUE(notices.empty());
    const FILETIME lockTimeAfter = WrittenAt(lock);
    EXPECT_EQ(CompareFileTime(&lockTime, &lockTimeAfter), 0);
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
            EXPECT_FALSE(IsWindow(hwnd));
            base::ProcessMessages();
            EXPECT_TRUE(testing_support::Notices().empty());
            EXPECT_EQ(scratch::ReadBytes(prefs), original);
            form.reset();
            DrainQuit();
        }
    }
}
