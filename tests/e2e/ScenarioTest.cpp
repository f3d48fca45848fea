// The real Quillbarrow.exe driven from this second process as a user drives
// it: first start, Get Proxy against the sample provider, choosing an entry,
// Use Proxy, switching to Firefox, Test with both buttons, the settings
// dialog, the tray, Chrome and Opera, Quit. Runs in a throwaway Wine prefix on a virtual screen
// (scripts/e2e.sh); the program runs from a scratch folder, so the settings
// file it reads and writes is a scratch one.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "e2e/Remote.h"
#include "e2e/Shots.h"
#include "support/SampleProvider.h"
#include "support/Scratch.h"
#include "base/Text.h"

using namespace e2e;
using base::Narrow;
using base::Widen;
using qbtest::SampleProvider;

namespace {

constexpr int kWindowMs = 30000;  // a cold Wine may take seconds to show a window
constexpr int kStepMs = 10000;
constexpr wchar_t kInternetSettings[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr UINT kTrayCallback = WM_USER + 1;

// The tray icon's window, which the shell's notifications reach; a
// message-only window, so not among the top-level ones.
HWND TrayWindow() { return FindWindowExW(HWND_MESSAGE, nullptr, L"QuillbarrowTrayWindow", nullptr); }

std::string ExeFolder() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    return Narrow(path.substr(0, path.find_last_of(L'\\')));
}

std::string AppData() {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path);
    return Narrow(path);
}

std::wstring RegText(const wchar_t* name) {
    wchar_t buffer[512] = {};
    DWORD size = sizeof buffer;
    if (RegGetValueW(HKEY_CURRENT_USER, kInternetSettings, name, RRF_RT_REG_SZ, nullptr, buffer, &size))
        return L"<absent>";
    return buffer;
}

DWORD RegDword(const wchar_t* name) {
    DWORD value = 0, size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, kInternetSettings, name, RRF_RT_REG_DWORD, nullptr, &value, &size))
        return 0xFFFFFFFF;
    return value;
}

void SetIeState(DWORD enabled, const wchar_t* server) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kInternetSettings, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, L"ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&enabled),
                   sizeof enabled);
    RegSetValueExW(key, L"ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(server),
                   static_cast<DWORD>((wcslen(server) + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

// The main window's controls, found as any other process would find them.
struct MainWindow {
    HWND window = nullptr;
    HWND status = nullptr, browsers = nullptr, proxies = nullptr, proxyEdit = nullptr;
    HWND getProxy = nullptr, setting = nullptr, test = nullptr, useProxy = nullptr, title = nullptr;

    explicit MainWindow(HWND w) : window(w) {
        status = Child(w, L"msctls_statusbar32");
        browsers = NthChild(w, L"ComboBox", 0);
        proxies = NthChild(w, L"ComboBox", 1);
        proxyEdit = proxies ? GetWindow(proxies, GW_CHILD) : nullptr;
        getProxy = Child(w, L"Button", L"Get Proxy (&G)");
        setting = Child(w, L"Button", L"Setting (&S)");
        test = Child(w, L"Button", L"Test (&C)");
        useProxy = Child(w, L"Button", L"Use Proxy (&P)");
        if (!useProxy) useProxy = Child(w, L"Button", L"Direct (&P)");
        title = Child(w, L"Static");
    }
    bool Complete() const {
        return status && browsers && proxies && proxyEdit && getProxy && setting && test && useProxy && title;
    }
    std::wstring Panel(int i) const { return PanelText(status, i); }
    bool WaitPanel(int i, const std::wstring& text, int ms = kStepMs) const {
        return WaitFor([&] { return Panel(i) == text; }, ms);
    }
};

class Scenario : public testing::Test {
protected:
    void SetUp() override {
        build_ = ExeFolder();
        folder_ = CopyProgramTo("program");
        record_ = build_ + "\\e2e-scratch\\browser-record.txt";
        DeleteFileW(Widen(record_).c_str());
        // The stand-in browser inherits this through the program.
        SetEnvironmentVariableW(L"QB_STANDIN_RECORD", Widen(record_).c_str());
    }

    void TearDown() override {
        if (process_.hProcess) {
            if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(process_.hProcess, 1);
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
    }

    std::string Ini() const { return folder_ + "\\Quillbarrow.ini"; }
    std::wstring IniText(const wchar_t* section, const wchar_t* key) const {
        wchar_t buffer[512] = {};
        GetPrivateProfileStringW(section, key, L"<absent>", buffer, 512, Widen(Ini()).c_str());
        return buffer;
    }
    void SetIni(const char* section, const char* key, const std::string& value) const {
        WritePrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), Widen(value).c_str(),
                                   Widen(Ini()).c_str());
    }

    // Starts the program from its scratch folder (Firefox's scratch file goes
    // to the current folder) and waits for its main window.
    HWND Start() {
        std::wstring exe = Widen(folder_ + "\\Quillbarrow.exe");
        std::wstring line = L"\"" + exe + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof si;
        LARGE_INTEGER t0, t1, freq;
        QueryPerformanceFrequency(&freq);
        QueryPerformanceCounter(&t0);
        if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            Widen(folder_).c_str(), &si, &process_))
            return nullptr;
        HWND w = nullptr;
        WaitFor(
            [&] {
                w = FindTopLevel(process_.dwProcessId, L"Quillbarrow2012 for");
                return w != nullptr;
            },
            kWindowMs);
        QueryPerformanceCounter(&t1);
        // Read by `make startup`: start to main window shown.
        std::printf("STARTUP_MS %.1f\n", 1000.0 * double(t1.QuadPart - t0.QuadPart) / double(freq.QuadPart));
        return w;
    }

    bool WaitExit(int ms) {
        return WaitForSingleObject(process_.hProcess, static_cast<DWORD>(ms)) == WAIT_OBJECT_0;
    }
    void Forget() {
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
        process_ = {};
    }

    // The command lines the stand-in browser was started with, one a line,
    // once it has run. Each launch records its command line and its window
    // size, so every other line counts.
    std::string TakeBrowserRecord() {
        std::string text = scratch::WaitForFile(record_, kStepMs);
        DeleteFileW(Widen(record_).c_str());
        std::string lines;
        bool commandLine = true;
        for (size_t at = 0, end; at < text.size(); at = end + 1, commandLine = !commandLine) {
            end = text.find('\n', at);
            if (end == std::string::npos) end = text.size();
            if (commandLine) lines += (lines.empty() ? "" : "\n") + text.substr(at, end - at);
        }
        return lines;
    }

    // Opens the tray icon's menu as a right click on the icon does.
    HWND OpenTrayMenu() {
        HWND tray = TrayWindow();
        if (!tray) return nullptr;
        PostMessageW(tray, kTrayCallback, 0, WM_RBUTTONUP);
        return WaitTopLevel(process_.dwProcessId, L"", kStepMs, L"#32768");
    }

    std::string build_, folder_, record_;
    PROCESS_INFORMATION process_{};
};

TEST_F(Scenario, AUserSession) {
    SetIeState(0, L"");
    // As an upgrade leaves it: the installation's profile is Profile1, while
    // the old Profile0 keeps a prefs.js that Firefox no longer reads.
    const std::string firefoxPrefs =
        AppData() + "\\Mozilla\\Firefox\\Profiles\\e2e.default-release\\prefs.js";
    const std::string oldPrefs = AppData() + "\\Mozilla\\Firefox\\Profiles\\e2e.default\\prefs.js";
    const std::string oldPrefsText = "user_pref(\"network.proxy.http\", \"192.0.2.100\");\r\n";
    scratch::MakeFolders(AppData() + "\\Mozilla\\Firefox\\Profiles\\e2e.default-release");
    scratch::MakeFolders(AppData() + "\\Mozilla\\Firefox\\Profiles\\e2e.default");
    scratch::WriteBytes(oldPrefs, oldPrefsText);
    scratch::WriteBytes(
        AppData() + "\\Mozilla\\Firefox\\Profiles.ini",
        "[Install308046B0AF4A39CB]\r\nDefault=Profiles/e2e.default-release\r\nLocked=1\r\n\r\n"
        "[Profile1]\r\nName=default-release\r\nIsRelative=1\r\nPath=Profiles/e2e.default-release\r\n\r\n"
        "[General]\r\nStartWithLastProfile=1\r\n\r\n"
        "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/e2e.default\r\nDefault=1\r\n");
    scratch::WriteBytes(firefoxPrefs,
                        "// Mozilla User Preferences\n"
                        "user_pref(\"browser.startup.page\", 3);\n"
                        "user_pref(\"network.proxy.http\", \"192.0.2.200\");\n"
                        "user_pref(\"network.proxy.http_port\", 8080);\n");

    // --- First start: no settings file at all.
    {
        HWND w = Start();
        ASSERT_TRUE(w) << "the main window did not appear";
        MainWindow m(w);
        ASSERT_TRUE(m.Complete());
        EXPECT_EQ(TextOf(w), L"Quillbarrow2012 for Internet Explorer");
        RECT r{};
        GetWindowRect(w, &r);
        EXPECT_EQ(r.left, 300);
        EXPECT_EQ(r.top, 300);
        EXPECT_TRUE(Checked(Child(w, L"Button", L"Anonymous")));
        EXPECT_TRUE(Checked(Child(w, L"Button", L"No Outputed Variables")));
        EXPECT_FALSE(Checked(Child(w, L"Button", L"All Proxy")));
        EXPECT_EQ(SendMessageW(m.browsers, CB_GETCURSEL, 0, 0), 0);
        EXPECT_EQ(m.Panel(0), L"Not Obtained");
        EXPECT_EQ(m.Panel(1), L"Direct Connection");
        EXPECT_EQ(TextOf(m.useProxy), L"Use Proxy (&P)");
        Shot("main-direct", w);

        // The close box: the position is stored, IE stays direct.
        PostMessageW(w, WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitExit(kStepMs));
        Forget();
        EXPECT_EQ(IniText(L"POSITION", L"M_TOP"), L"300");
        EXPECT_EQ(IniText(L"POSITION", L"M_LEFT"), L"300");
        EXPECT_EQ(RegDword(L"ProxyEnable"), 0u);
    }

    // --- The list service and the stand-in browser.
    SampleProvider provider;
    SetIni("URL", "ANONYMOUS", provider.Address("/pla5.html"));
    SetIni("URL", "NONANONYMOUS", provider.Address("/pld5.html"));
    SetIni("URL", "SPEEDRANK", provider.Address("/plr5.html"));
    SetIni("URL", "IDPASS", provider.Address("/idpass.html"));
    SetIni("URL", "CHECKER1", "http://127.0.0.1:9/left-tester");
    SetIni("URL", "CHECKER2", "http://127.0.0.1:9/right-tester");
    SetIni("CYBER", "USERID", "");  // empty: take the credentials the provider publishes
    // The provider lists documentation addresses, which must not be contacted.
    SetIni("CHECK", "ENABLE", "0");
    const std::string standIn = build_ + "\\StandInBrowser.exe";
    SetIni("FIREFOX", "PATH", standIn);
    SetIni("CHROME", "PATH", standIn);
    SetIni("OPERA", "PATH", standIn);
    const std::string operaPrefs = build_ + "\\e2e-scratch\\operaprefs.ini";
    scratch::WriteBytes(
        operaPrefs,
        "[User Prefs]\r\nLanguage=ja\r\n[Proxy]\r\nUse HTTP=0\r\nHTTP Server=192.0.2.70:3128\r\n");
    SetIni("OPERA", "INIFILE", operaPrefs);
    SetIni("URL", "DEFAULT", "192.0.2.62:8062");

    HWND w = Start();
    ASSERT_TRUE(w);
    MainWindow m(w);
    ASSERT_TRUE(m.Complete());
    // The keyboard reaches a control at once: the checked list type.
    EXPECT_TRUE(WaitFor([&] { return FocusOf(w) == Child(w, L"Button", L"Anonymous"); }, kStepMs));

    // --- Get Proxy: the credentials page first, then the list with them.
    Alt(w, L'g');
    ASSERT_TRUE(m.WaitPanel(0, L"Obtained")) << Narrow(m.Panel(0));
    const auto expected = SampleProvider::ListEntries("/pla5.html", SampleProvider::kDefaultEntries, 1);
    // "Obtained" shows as the page arrives, a moment before the list is filled.
    std::vector<std::wstring> items;
    WaitFor([&] { return (items = ComboItems(m.proxies)).size() == expected.size(); }, kStepMs);
    ASSERT_EQ(items.size(), expected.size());
    for (size_t i = 0; i < items.size(); ++i) EXPECT_EQ(Narrow(items[i]), expected[i]);
    const auto requests = provider.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].path, "/idpass.html");
    EXPECT_EQ(requests[1].path, "/pla5.html");
    EXPECT_EQ(
        requests[1].authorization,
        SampleProvider::BasicAuthorization(SampleProvider::kDefaultUserId, SampleProvider::kDefaultPassword));
    EXPECT_EQ(Narrow(RegText(L"ProxyServer")), expected[0]);
    EXPECT_EQ(RegDword(L"ProxyEnable"), 0u);  // the address only; the switch stays
    EXPECT_EQ(m.Panel(1), L"Direct Connection");

    // --- The second entry, picked from the list with the arrow key.
    Key(m.proxyEdit, VK_DOWN);
    ASSERT_TRUE(WaitFor([&] { return Narrow(RegText(L"ProxyServer")) == expected[1]; }, kStepMs))
        << Narrow(RegText(L"ProxyServer"));
    EXPECT_EQ(Narrow(TextOf(m.proxyEdit)), expected[1]);

    // --- Use Proxy, then the registry.
    Click(m.useProxy);
    ASSERT_TRUE(WaitFor([&] { return TextOf(m.useProxy) == L"Direct (&P)"; }, kStepMs));
    EXPECT_EQ(RegDword(L"ProxyEnable"), 1u);
    EXPECT_EQ(Narrow(RegText(L"ProxyServer")), expected[1]);
    EXPECT_EQ(Narrow(m.Panel(1)), "Using " + expected[1]);
    Shot("main-in-use", w);

    // --- Firefox: IE is left with the termination choice (direct by default).
    // Typing the first letter picks the item, as in any drop-down list.
    Type(m.browsers, L"M");
    ASSERT_TRUE(WaitFor([&] { return TextOf(w) == L"Quillbarrow2012 for Mozilla Firefox"; }, kStepMs))
        << Narrow(TextOf(w));
    EXPECT_EQ(RegDword(L"ProxyEnable"), 0u);
    EXPECT_EQ(m.Panel(1), L"Direct Connection");
    EXPECT_EQ(TextOf(m.proxyEdit), L"192.0.2.200:8080");
    // The third entry, then Use Proxy by its accelerator: prefs.js follows.
    Key(m.proxyEdit, VK_DOWN);
    const std::string third = expected[2];
    const std::string host = third.substr(0, third.find(':')), port = third.substr(third.find(':') + 1);
    ASSERT_TRUE(WaitFor([&] { return TextOf(m.proxyEdit) == Widen(third); }, kStepMs));
    Alt(w, L'p');
    ASSERT_TRUE(WaitFor([&] { return TextOf(m.useProxy) == L"Direct (&P)"; }, kStepMs));
    // Every line in its place: the address lines replaced where they stood,
    // the proxy type added once at the end.
    const std::string prefs = scratch::ReadBytes(firefoxPrefs);
    EXPECT_EQ(prefs,
              "// Mozilla User Preferences\n"
              "user_pref(\"browser.startup.page\", 3);\n"
              "user_pref(\"network.proxy.http\", \"" +
                  host +
                  "\");\n"
                  "user_pref(\"network.proxy.http_port\", " +
                  port +
                  ");\n"
                  "user_pref(\"network.proxy.type\", 1);\n");
    EXPECT_EQ(Narrow(m.Panel(1)), "Using " + third);

    // --- Test: left button tester 1, right button tester 2; the keyboard
    // none, so the right button's launch after Alt+C is the only one.
    MousePress(m.test, false);
    EXPECT_EQ(TakeBrowserRecord(), "\"" + standIn + "\" http://127.0.0.1:9/left-tester");
    Alt(w, L'c');
    MousePress(m.test, true);
    EXPECT_EQ(TakeBrowserRecord(), "\"" + standIn + "\" http://127.0.0.1:9/right-tester");

    // --- The settings dialog, opened, edited and saved from the keyboard.
    Alt(w, L's');
    HWND dialog = WaitTopLevel(process_.dwProcessId, L"Setting", kWindowMs);
    ASSERT_TRUE(dialog);
    EXPECT_FALSE(IsWindowEnabled(w));  // modal
    HWND timeout = NthChild(dialog, L"Edit", 0);
    HWND terminal = NthChild(dialog, L"ComboBox", 3);
    ASSERT_TRUE(timeout && terminal);
    EXPECT_EQ(TextOf(timeout), L"10");
    EXPECT_EQ(SendMessageW(terminal, CB_GETCURSEL, 0, 0), 1);  // Direct Connection
    SendMessageW(timeout, EM_SETSEL, 0, -1);
    Type(timeout, L"25");
    Key(terminal, VK_UP);  // Keep Current
    ASSERT_TRUE(WaitFor([&] { return SendMessageW(terminal, CB_GETCURSEL, 0, 0) == 0; }, kStepMs));
    ASSERT_TRUE(WaitFor([&] { return TextOf(timeout) == L"25"; }, kStepMs));
    Alt(dialog, L'w');
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(dialog); }, kStepMs));
    EXPECT_EQ(IniText(L"TIMEOUT", L"PROXY"), L"25");
    EXPECT_EQ(IniText(L"TERMINAL", L"OPTION"), L"0");
    EXPECT_EQ(IniText(L"FIREFOX", L"PATH"), Widen(standIn));
    EXPECT_EQ(IniText(L"POSITION", L"S_TOP"), L"300");
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(w) != FALSE; }, kStepMs));

    // --- The About window, from a click on the title picture; its caption is
    // the bare title.
    MousePress(m.title, false);
    HWND about = WaitTopLevelExactly(process_.dwProcessId, L"Quillbarrow2012 ", kWindowMs);
    ASSERT_TRUE(about);
    Shot("about", about);
    PostMessageW(about, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(about); }, kStepMs));

    // --- Into the notification area and back.
    PostMessageW(w, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(w); }, kStepMs));
    HWND tray = TrayWindow();
    ASSERT_TRUE(tray);
    PostMessageW(tray, kTrayCallback, 0, WM_LBUTTONUP);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(w) && !IsIconic(w); }, kStepMs));

    // --- Chrome: Internet Explorer's settings; Firefox is left as it was
    // (Keep Current). A typed address goes to the registry once typing pauses.
    Type(m.browsers, L"G");
    ASSERT_TRUE(WaitFor([&] { return TextOf(w) == L"Quillbarrow2012 for Google Chrome"; }, kStepMs))
        << Narrow(TextOf(w));
    EXPECT_EQ(Narrow(TextOf(m.proxyEdit)), expected[1]);
    SendMessageW(m.proxyEdit, EM_SETSEL, 0, -1);
    Type(m.proxyEdit, L"192.0.2.61:8061");
    ASSERT_TRUE(WaitFor([&] { return RegText(L"ProxyServer") == L"192.0.2.61:8061"; }, kStepMs))
        << Narrow(RegText(L"ProxyServer"));
    Alt(w, L'p');
    ASSERT_TRUE(WaitFor([&] { return TextOf(m.useProxy) == L"Direct (&P)"; }, kStepMs));
    EXPECT_EQ(RegDword(L"ProxyEnable"), 1u);
    EXPECT_EQ(RegText(L"ProxyServer"), L"192.0.2.61:8061");

    // --- Opera: its own file; Chrome keeps its proxy. Use Default, then Use Proxy.
    Type(m.browsers, L"O");
    ASSERT_TRUE(WaitFor([&] { return TextOf(w) == L"Quillbarrow2012 for Opera"; }, kStepMs))
        << Narrow(TextOf(w));
    EXPECT_EQ(RegDword(L"ProxyEnable"), 1u);
    EXPECT_EQ(RegText(L"ProxyServer"), L"192.0.2.61:8061");
    EXPECT_EQ(TextOf(m.proxyEdit), L"192.0.2.70:3128");
    EXPECT_EQ(m.Panel(1), L"Direct Connection");
    Alt(w, L'd');
    ASSERT_TRUE(WaitFor([&] { return TextOf(m.proxyEdit) == L"192.0.2.62:8062"; }, kStepMs));
    Alt(w, L'p');
    ASSERT_TRUE(WaitFor([&] { return TextOf(m.useProxy) == L"Direct (&P)"; }, kStepMs));
    EXPECT_EQ(m.Panel(1), L"Using 192.0.2.62:8062");
    const std::string opera = scratch::ReadBytes(operaPrefs);
    EXPECT_EQ(opera,
              "[User Prefs]\r\nLanguage=ja\r\n[Proxy]\r\nUse HTTP=1\r\nHTTP Server=192.0.2.62:8062\r\n");

    // --- Quit from the tray menu: Keep Current leaves every browser on its proxy.
    HWND menu = OpenTrayMenu();
    ASSERT_TRUE(menu) << "the tray menu did not open";
    Shot("tray-menu", menu);
    PostMessageW(menu, WM_CHAR, L'q', 1);
    ASSERT_TRUE(WaitExit(kStepMs)) << "Quit did not end the program";
    DWORD code = 1;
    GetExitCodeProcess(process_.hProcess, &code);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(scratch::ReadBytes(firefoxPrefs), prefs);
    EXPECT_EQ(scratch::ReadBytes(oldPrefs), oldPrefsText);
    EXPECT_EQ(scratch::ReadBytes(operaPrefs), opera);
    EXPECT_EQ(RegDword(L"ProxyEnable"), 1u);
    EXPECT_EQ(IniText(L"POSITION", L"M_TOP"), L"300");
    EXPECT_EQ(IniText(L"POSITION", L"M_LEFT"), L"300");
    EXPECT_EQ(IniText(L"TIMEOUT", L"PROXY"), L"25");
    EXPECT_EQ(IniText(L"TERMINAL", L"OPTION"), L"0");
    EXPECT_EQ(IniText(L"URL", L"IDPASS"), Widen(provider.Address("/idpass.html")));
    EXPECT_EQ(IniText(L"BROWSER", L"DEFAULT"), L"0");  // chosen in the window: not remembered
}

}  // namespace
