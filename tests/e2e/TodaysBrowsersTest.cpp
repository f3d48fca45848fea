// Today's browsers on a machine as their installers leave it: stand-in
// programs for Chrome (for all users), Microsoft Edge and Opera (for one
// user) in their install folders, and a program folder with no settings file.
// The real program finds each one, keeps it when it is picked, starts
// Chrome's for Test (and never a program planted at the first blank of its
// path), and switches Edge and Opera through the Windows settings.
#include <windows.h>
#include <shlobj.h>
#include <winhttp.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/Remote.h"
#include "support/Scratch.h"
#include "base/Text.h"

using namespace e2e;
using base::Narrow;
using base::Widen;

namespace {

constexpr int kMs = 30000;  // only a hang runs out of this; a cold Wine may take seconds

std::string KnownFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return Narrow(path);
}

// Stand-in browsers copied to these paths for one case: the prefix is shared
// with the other cases. Their folders stay behind, empty, as an uninstaller
// may leave them.
struct Installed {
    std::vector<std::string> programs;
    ~Installed() {
        for (const std::string& program : programs) DeleteFileW(Widen(program).c_str());
    }
};

// The proxy WinHTTP (and so Chrome and Edge) reports for the current user.
std::string WinHttpProxy() {
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG c{};
    if (!WinHttpGetIEProxyConfigForCurrentUser(&c)) return "<failed>";
    std::string proxy = c.lpszProxy ? Narrow(c.lpszProxy) : "<null>";
    for (LPWSTR text : {c.lpszAutoConfigUrl, c.lpszProxy, c.lpszProxyBypass})
        if (text) GlobalFree(text);
    return proxy;
}

}  // namespace

TEST(TodaysBrowsers, FoundWhereInstalledAndSwitchedThroughTheWindowsSettings) {
    const std::string chrome = KnownFolder(CSIDL_PROGRAM_FILES) + "\\Google\\Chrome\\Application\\chrome.exe";
    const std::string edge =
        KnownFolder(CSIDL_PROGRAM_FILESX86) + "\\Microsoft\\Edge\\Application\\msedge.exe";
    const std::string opera = KnownFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Opera\\launcher.exe";
    // C:\Program.exe, which Windows would start from Chrome's path unquoted.
    const std::string planted = chrome.substr(0, chrome.find(' ')) + ".exe";
    Installed installed{{chrome, edge, opera, planted}};
    for (const std::string& program : installed.programs) scratch::PlaceStandInBrowser(program);
    InternetSettings().SetDword("ProxyEnable", 0);
    InternetSettings().SetString("ProxyServer", "192.0.2.81:8081");
    const std::string folder = CopyProgramTo("todays-browsers");
    const std::string record = folder + "\\browser-record.txt";
    DeleteFileW(Widen(record).c_str());
    SetEnvironmentVariableW(L"QB_STANDIN_RECORD", Widen(record).c_str());  // the stand-in inherits it

    ProgramCopy program(folder);
    SetEnvironmentVariableW(L"QB_STANDIN_RECORD", nullptr);
    HWND w = program.MainWindow();
    ASSERT_TRUE(w) << "the main window did not appear";
    HWND browsers = NthChild(w, L"ComboBox", 0);
    HWND proxyEdit = GetWindow(NthChild(w, L"ComboBox", 1), GW_CHILD);
    HWND test = Child(w, L"Button", L"Test (&C)");
    HWND useProxy = Child(w, L"Button", L"Use Proxy (&P)");
    ASSERT_TRUE(browsers && proxyEdit && test && useProxy);
    auto captionIs = [&](const wchar_t* caption) {
        return WaitFor([&] { return TextOf(w) == caption; }, kMs);
    };

    // Chrome for all users: picked, kept, and started by Test with the tester
    // page as its one argument, its path with blanks naming that one program.
    Type(browsers, L"G");
    ASSERT_TRUE(captionIs(L"Quillbarrow2012 for Google Chrome")) << Narrow(TextOf(w));
    MousePress(test, false);
    const std::string line = scratch::WaitForFile(record, kMs);
    EXPECT_EQ(line.substr(0, line.find('\n')), "\"" + chrome + "\" taruo.net/e/?");

    // Edge, the last entry: Use Proxy switches what WinHTTP reports.
    Key(browsers, VK_END);
    ASSERT_TRUE(captionIs(L"Quillbarrow2012 for Microsoft Edge")) << Narrow(TextOf(w));
    EXPECT_EQ(WinHttpProxy(), "<null>");
    Alt(w, L'p');
    ASSERT_TRUE(WaitFor([&] { return TextOf(useProxy) == L"Direct (&P)"; }, kMs));
    EXPECT_EQ(InternetSettings().GetDword("ProxyEnable"), 1u);
    EXPECT_EQ(WinHttpProxy(), "192.0.2.81:8081");

    // Opera with no operaprefs.ini: Edge is left direct (At Termination), and
    // Opera shows and switches the same Windows settings.
    Key(browsers, VK_UP);
    ASSERT_TRUE(captionIs(L"Quillbarrow2012 for Opera")) << Narrow(TextOf(w));
    EXPECT_EQ(TextOf(useProxy), L"Use Proxy (&P)");
    EXPECT_EQ(WinHttpProxy(), "<null>");
    EXPECT_EQ(TextOf(proxyEdit), L"192.0.2.81:8081");
    Alt(w, L'p');
    ASSERT_TRUE(WaitFor([&] { return TextOf(useProxy) == L"Direct (&P)"; }, kMs));
    EXPECT_EQ(WinHttpProxy(), "192.0.2.81:8081");

    PostMessageW(w, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.ExitCode(), 0u);
    EXPECT_EQ(WinHttpProxy(), "<null>");
}
