// What a hostile list provider, or a hostile settings text, can make the real
// program do: nothing. Pages whose header never ends, whose entry carries line
// breaks, or which list 20,000 proxies; and a browser path with blanks in front
// of a program planted at its first blank.
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e/Remote.h"
#include "support/SampleProvider.h"
#include "support/Scratch.h"
#include "base/Text.h"

using namespace e2e;
using base::Narrow;
using base::Widen;
using qbtest::SampleProvider;

namespace {

constexpr int kStepMs = 10000;
// Only a hang runs out of this; a loaded machine may be slow, but not this slow.
constexpr int kLongMs = 30000;
constexpr wchar_t kInternetSettings[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

std::wstring ProxyServer() {
    wchar_t buffer[512] = {};
    DWORD size = sizeof buffer;
    if (RegGetValueW(HKEY_CURRENT_USER, kInternetSettings, L"ProxyServer", RRF_RT_REG_SZ, nullptr, buffer, &size))
        return L"<absent>";
    return buffer;
}

void SetProxyServer(const std::wstring& server) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kInternetSettings, L"ProxyServer", REG_SZ, server.c_str(),
                    static_cast<DWORD>((server.size() + 1) * sizeof(wchar_t)));
}

class HostilePages : public testing::Test {
protected:
    void SetUp() override { folder_ = CopyProgramTo("hostile"); }

    std::string Ini() const { return folder_ + "\\Quillbarrow.ini"; }
    void SetIni(const char* section, const char* key, const std::string& value) const {
        WritePrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), Widen(value).c_str(),
                                   Widen(Ini()).c_str());
    }
    std::wstring IniText(const wchar_t* section, const wchar_t* key) const {
        wchar_t buffer[512] = {};
        GetPrivateProfileStringW(section, key, L"<absent>", buffer, 512, Widen(Ini()).c_str());
        return buffer;
    }
    // The section names of the settings file, one a line.
    std::wstring Sections() const {
        wchar_t buffer[4096] = {};
        DWORD n = GetPrivateProfileSectionNamesW(buffer, 4096, Widen(Ini()).c_str());
        std::wstring names(buffer, n);
        for (wchar_t& c : names)
            if (c == L'\0') c = L'\n';
        return names;
    }

    std::string folder_;
};

HWND Status(HWND w) { return Child(w, L"msctls_statusbar32"); }

// A blocked window thread would not answer; a busy one answers within moments.
bool Answers(HWND w) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
}

}  // namespace

TEST_F(HostilePages, EndlessHeaderLineBreaksAndTwentyThousandEntriesChangeNothingTheyShouldNot) {
    SampleProvider provider;
    provider.SetCredentials("", "");  // open lists; no credentials page is asked
    SetIni("URL", "ANONYMOUS", provider.Address("/pla5.html"));
    SetIni("URL", "IDPASS", "");
    SetIni("SERVER", "ANYOPTION", "0");  // every entry of the page
    SetIni("TIMEOUT", "PROXY", "3");
    // The provider lists documentation addresses, which must not be contacted.
    SetIni("CHECK", "ENABLE", "0");
    SetProxyServer(L"192.0.2.9:9");

    ProgramCopy program(folder_);
    HWND w = program.MainWindow();
    ASSERT_TRUE(w);
    HWND status = Status(w);
    HWND proxies = NthChild(w, L"ComboBox", 1);
    ASSERT_TRUE(status && proxies);

    // --- Header lines as fast as the program takes them, without end: the
    // fetch gives up, the window answers throughout, and memory stays small.
    provider.SetBehaviour(SampleProvider::Behaviour::EndlessHeader, "/pla5.html");
    Alt(w, L'g');
    EXPECT_TRUE(Answers(w));
    ASSERT_TRUE(WaitFor([&] { return PanelText(status, 0) == L"TimeOut"; }, kLongMs)) << Narrow(PanelText(status, 0));
    EXPECT_TRUE(Answers(w));
    PROCESS_MEMORY_COUNTERS memory{};
    ASSERT_TRUE(GetProcessMemoryInfo(program.pi.hProcess, &memory, sizeof memory));
    EXPECT_LT(memory.PeakWorkingSetSize, size_t{64} << 20);
    EXPECT_EQ(ProxyServer(), L"192.0.2.9:9");

    // --- An entry with line breaks: listed, written nowhere.
    const std::string hostile = "1.2.3.4:80\r\n[ZZZ]\r\nINJECTED=1";
    provider.SetBehaviour(SampleProvider::Behaviour::Serve, "/pla5.html");
    provider.SetListEntries({hostile, "192.0.2.5:80"});
    Alt(w, L'g');
    ASSERT_TRUE(WaitFor([&] { return PanelText(status, 0) == L"Obtained"; }, kStepMs)) << Narrow(PanelText(status, 0));
    std::vector<std::wstring> items;
    EXPECT_TRUE(WaitFor([&] { return (items = ComboItems(proxies)).size() == 2; }, kStepMs));
    EXPECT_EQ(ProxyServer(), L"192.0.2.9:9");
    // Set Default with that entry as the list's text: refused, with a word to the user.
    Alt(w, L'a');
    HWND notice = WaitTopLevel(program.pi.dwProcessId, L"Quillbarrow", kStepMs, L"#32770");
    ASSERT_TRUE(notice) << "no notice; the text was " << Narrow(TextOf(GetWindow(proxies, GW_CHILD)));
    EXPECT_TRUE(Child(notice, L"Static",
                      L"The default proxy was not changed: the text holds a line break or another control "
                      L"character."));
    PostMessageW(notice, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(notice); }, kStepMs));
    EXPECT_EQ(IniText(L"URL", L"DEFAULT"), L"<absent>");
    EXPECT_EQ(IniText(L"ZZZ", L"INJECTED"), L"<absent>");
    EXPECT_EQ(Sections(), L"URL\nSERVER\nTIMEOUT\nCHECK\n");
    EXPECT_EQ(ProxyServer(), L"192.0.2.9:9");

    // --- 20,000 entries: the first 10,000 are listed.
    provider.SetListEntries({});
    provider.SetEntries(20000);
    Alt(w, L'g');
    const auto expected = SampleProvider::ListEntries("/pla5.html", 20000, 0);
    ASSERT_TRUE(WaitFor([&] { return SendMessageW(proxies, CB_GETCOUNT, 0, 0) == 10000; }, kLongMs))
        << SendMessageW(proxies, CB_GETCOUNT, 0, 0);
    EXPECT_EQ(Narrow(ProxyServer()), expected[0]);
    wchar_t last[64] = {};
    ASSERT_LT(SendMessageW(proxies, CB_GETLBTEXTLEN, 9999, 0), 64);
    SendMessageW(proxies, CB_GETLBTEXT, 9999, reinterpret_cast<LPARAM>(last));
    EXPECT_EQ(Narrow(last), expected[9999]);

    PostMessageW(w, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.ExitCode(), 0u);
}

TEST_F(HostilePages, TestStartsABrowserWhosePathHasBlanksAndNoPlantedProgram) {
    const std::string scratchFolder = scratch::HelperProgram("e2e-scratch");
    const std::string browser = scratchFolder + "\\Stand In\\browser.exe";
    scratch::MakeFolders(scratchFolder + "\\Stand In");
    ASSERT_TRUE(CopyFileW(Widen(scratch::HelperProgram("StandInBrowser.exe")).c_str(), Widen(browser).c_str(), FALSE));
    // What Windows would start from the unquoted path: a program that records nothing.
    ASSERT_TRUE(CopyFileW(Widen(scratch::HelperProgram("HoldLock.exe")).c_str(),
                          Widen(scratchFolder + "\\Stand.exe").c_str(), FALSE));
    const std::string record = scratchFolder + "\\blanks-record.txt";
    DeleteFileW(Widen(record).c_str());
    SetEnvironmentVariableW(L"QB_STANDIN_RECORD", Widen(record).c_str());
    SetIni("CHROME", "PATH", browser);
    SetIni("BROWSER", "DEFAULT", "1");
    SetIni("URL", "CHECKER1", "http://127.0.0.1:9/left-tester");
    SetIni("URL", "CHECKER2", "http://127.0.0.1:9/a --b");

    ProgramCopy program(folder_);
    HWND w = program.MainWindow();
    ASSERT_TRUE(w);
    HWND test = Child(w, L"Button", L"Test (&C)");
    ASSERT_TRUE(test);
    // The right button's tester address holds a blank: not launched, so the
    // left button's launch after it leaves the only record.
    MousePress(test, true);
    MousePress(test, false);
    const std::string text = scratch::WaitForFile(record, kStepMs);
    const std::string line = text.substr(0, text.find('\n'));
    EXPECT_EQ(line, "\"" + browser + "\" http://127.0.0.1:9/left-tester");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);  // one launch: its line and its window size
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(Widen(line).c_str(), &argc);
    ASSERT_EQ(argc, 2);
    EXPECT_EQ(Narrow(argv[0]), browser);
    EXPECT_EQ(Narrow(argv[1]), "http://127.0.0.1:9/left-tester");
    LocalFree(argv);

    PostMessageW(w, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.ExitCode(), 0u);
    SetEnvironmentVariableW(L"QB_STANDIN_RECORD", nullptr);
}
