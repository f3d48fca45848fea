// A running Firefox set to follow the Windows proxy settings: its lock is
// held, as Firefox holds it, while a second program reads the proxy the way
// Firefox then does for every new connection. The real program's Use Proxy and
// Direct reach that reader while it runs, and no notice appears.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "e2e/Remote.h"
#include "settings/IniFile.h"
#include "support/LockHolder.h"
#include "support/Scratch.h"
#include "base/Text.h"

using namespace e2e;

constexpr int kMs = 30000;  // only a hang runs out of this

TEST(FirefoxFollows, ARunningFirefoxSeesEverySwitchAndNothingIsRefused) {
    InternetSettings().SetDword("ProxyEnable", 0);
    InternetSettings().SetString("ProxyServer", "192.0.2.30:8030");
    const std::string here = CopyProgramTo("firefox-follows");
    const std::string profile = here + "\\profile";
    scratch::MakeFolders(profile);
    // A proxy in use there, which the Windows settings now overrule.
    const std::string prefs = "user_pref(\"network.proxy.type\", 1);\r\n";
    scratch::WriteBytes(profile + "\\prefs.js", prefs);
    DeleteFileW(base::Widen(profile + "\\user.js").c_str());
    IniFile settings(here + "\\Quillbarrow.ini");
    settings.Write(setting::DefaultBrowser, 2);
    settings.Write(setting::FirefoxIniFile, profile + "\\prefs.js");
    settings.Write(setting::FirefoxFollowWindows, 1);

    scratch::LockHolder firefox(profile + "\\parent.lock");
    ASSERT_TRUE(firefox.Holding());
    const std::string report = here + "\\seen.txt";
    DeleteFileW(base::Widen(report).c_str());
    // Asks as Firefox does every 100 ms, until it is ended.
    Process reader(L"\"" + base::Widen(scratch::HelperProgram("SystemProxyReader.exe")) + L"\" \"" +
                   base::Widen(report) + L"\"");
    ASSERT_EQ(scratch::WaitForFile(report, kMs), "direct\r\n");

    ProgramCopy program(here);
    HWND w = program.MainWindow();
    ASSERT_TRUE(w);
    EXPECT_EQ(TextOf(w), L"Quillbarrow2012 for Mozilla Firefox");
    HWND use = Child(w, L"Button", L"Use Proxy (&P)");
    ASSERT_TRUE(use);
    auto seen = [&] { return scratch::ReadBytes(report); };

    Click(use);
    EXPECT_TRUE(WaitFor([&] { return TextOf(use) == L"Direct (&P)"; }, kMs));
    EXPECT_TRUE(WaitFor([&] { return seen() == "direct\r\nproxy 192.0.2.30:8030\r\n"; }, kMs)) << seen();
    Click(use);
    EXPECT_TRUE(WaitFor([&] { return TextOf(use) == L"Use Proxy (&P)"; }, kMs));
    EXPECT_TRUE(WaitFor([&] { return seen() == "direct\r\nproxy 192.0.2.30:8030\r\ndirect\r\n"; }, kMs))
        << seen();

    EXPECT_TRUE(reader.Running());
    EXPECT_FALSE(FindTopLevel(program.pi.dwProcessId, L"", L"#32770")) << "a notice is open";
    EXPECT_EQ(scratch::ReadBytes(profile + "\\prefs.js"), prefs);
    EXPECT_EQ(scratch::ReadBytes(profile + "\\user.js"), "user_pref(\"network.proxy.type\", 5);\r\n");
    PostMessageW(w, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.ExitCode(), 0u);
}
