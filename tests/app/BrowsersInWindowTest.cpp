#include <gtest/gtest.h>

#include "app/AppFixture.h"
#include "support/ErrorBoxes.h"

using BrowsersInWindow = AppTest;

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
