// Today's browsers on a machine as their installers leave it: stand-in
// programs for Chrome (for all users), Microsoft Edge and Opera (for one
// user) in their install folders, and a program folder with no settings file.
// The real program finds each one, keeps it when it is picked, starts
// Chrome's for Test, and switches Edge and Opera through the Windows settings.
#include <windows.h>
#include <shlobj.h>
#include <winhttp.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e/Remote.h"
#include "settings/RegFile.h"
#include "support/Scratch.h"
#include "base/Text.h"

using namespace e2e;
using base::Narrow;
using base::Widen;

namespace {

constexpr int kMs = 30000;  // only a hang runs out of this; a cold Wine may take seconds
constexpr char kInternetSettings[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

std::string KnownFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return Narrow(path);
}

// The stand-in browser copied to each path for this case only. The prefix is
// shared with the other cases, so the files and the folders made for them
// go again afterwards.
class Installed {
public:
    explicit Installed(const std::vector<std::string>& programs) : programs_(programs) {
        for (const std::string& program : programs_) {
            // Deepest first, the order they go in again.
            for (std::string f = program.substr(0, program.rfind('\\')); !scratch::Exists(f);
                 f = f.substr(0, f.rfind('\\')))
                made_.push_back(f);
            scratch::PlaceStandInBrowser(program);
        }
    }
    ~Installed() {
        for (const std::string& program : programs_) DeleteFileW(Widen(program).c_str());
        for (const std::string& folder : made_) RemoveDirectoryW(Widen(folder).c_str());
    }

private:
    std::vector<std::string> programs_;
    std::vector<std::string> made_;
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
    Installed installed({chrome, edge, opera});
    RegFile(kInternetSettings).SetDword("ProxyEnable", 0);
    RegFile(kInternetSettings).SetString("ProxyServer", "192.0.2.81:8081");
    const std::string folder = CopyProgramTo("todays-browsers");
    const std::string record = folder + "\\browser-record.txt";
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

    // Chrome for all users: picked, kept, and started by Test on the tester page.
    Type(browsers, L"G");
    ASSERT_TRUE(captionIs(L"Quillbarrow2012 for Google Chrome")) << Narrow(TextOf(w));
    MousePress(test, false);
    std::string line = scratch::WaitForFile(record, kMs);
    line = line.substr(0, line.find('\n'));
    std::erase(line, '"');  // however the command line quotes the path
    EXPECT_EQ(line, chrome + " taruo.net/e/?");

    // Edge, the last entry: Use Proxy switches what WinHTTP reports.
    Key(browsers, VK_END);
    ASSERT_TRUE(captionIs(L"Quillbarrow2012 for Microsoft Edge")) << Narrow(TextOf(w));
    EXPECT_EQ(WinHttpProxy(), "<null>");
    Alt(w, L'p');
    ASSERT_TRUE(WaitFor([&] { return TextOf(useProxy) == L"Direct (&P)"; }, kMs));
    EXPECT_EQ(RegFile(kInternetSettings).GetDword("ProxyEnable"), 1u);
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
