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

#include "e2e/Remote.h"
#include "support/SampleProvider.h"
#include "support/Scratch.h"
#include "settings/IniFile.h"
#include "settings/RegFile.h"
#include "base/Text.h"

using namespace e2e;
using base::Narrow;
using base::Widen;
using qbtest::SampleProvider;

namespace {

constexpr int kStepMs = 10000;
// Only a hang runs out of this; a loaded machine may be slow, but not this slow.
constexpr int kLongMs = 30000;

RegFile InternetSettings() {
    return RegFile("Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings");
}

std::string ProxyServer() {
    std::string server = "<absent>";
    InternetSettings().GetString("ProxyServer", server);
    return server;
}

// A blocked window thread would not answer; a busy one answers within moments.
bool Answers(HWND w) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
}

class HostilePages : public testing::Test {
protected:
    const std::string folder_ = CopyProgramTo("hostile");
    IniFile ini_{folder_ + "\\Quillbarrow.ini"};
};

}  // namespace

TEST_F(HostilePages, EndlessHeaderLineBreaksAndTwentyThousandEntriesChangeNothingTheyShouldNot) {
    SampleProvider provider;
    provider.SetCredentials("", "");  // open lists; no credentials page is asked
    ini_.WriteString("URL", "ANONYMOUS", provider.Address("/pla5.html"));
    ini_.WriteString("URL", "IDPASS", "");
    ini_.WriteString("SERVER", "ANYOPTION", "0");  // every entry of the page
    ini_.WriteString("TIMEOUT", "PROXY", "3");
    // The provider lists documentation addresses, which must not be contacted.
    ini_.WriteString("CHECK", "ENABLE", "0");
    InternetSettings().SetString("ProxyServer", "192.0.2.9:9");

    ProgramCopy program(folder_);
    HWND w = program.MainWindow();
    ASSERT_TRUE(w);
    HWND status = Child(w, L"msctls_statusbar32");
    HWND proxies = NthChild(w, L"ComboBox", 1);
    ASSERT_TRUE(status && proxies);
    auto listed = [&] { return SendMessageW(proxies, CB_GETCOUNT, 0, 0); };

    // --- Header lines as fast as the program takes them, without end: the
    // fetch gives up, the window answers throughout, and memory stays small.
    provider.SetBehaviour(SampleProvider::Behaviour::EndlessHeader, "/pla5.html");
    Alt(w, L'g');
    EXPECT_TRUE(Answers(w));
    ASSERT_TRUE(WaitFor([&] { return PanelText(status, 0) == L"TimeOut"; }, kLongMs));
    EXPECT_TRUE(Answers(w));
    PROCESS_MEMORY_COUNTERS memory{};
    ASSERT_TRUE(GetProcessMemoryInfo(program.pi.hProcess, &memory, sizeof memory));
    EXPECT_LT(memory.PeakWorkingSetSize, size_t{64} << 20);

    // --- An entry with line breaks: listed, written nowhere, and Set Default
    // with it as the list's text is refused with a word to the user.
    provider.SetBehaviour(SampleProvider::Behaviour::Serve, "/pla5.html");
    provider.SetListEntries({"1.2.3.4:80\r\n[ZZZ]\r\nINJECTED=1", "192.0.2.5:80"});
    Alt(w, L'g');
    ASSERT_TRUE(WaitFor([&] { return PanelText(status, 0) == L"Obtained" && listed() == 2; }, kStepMs));
    Alt(w, L'a');
    HWND notice = WaitTopLevel(program.pi.dwProcessId, L"Quillbarrow", kStepMs, L"#32770");
    ASSERT_TRUE(notice);
    EXPECT_TRUE(Child(notice, L"Static",
                      L"The default proxy was not changed: the text holds a line break or another control "
                      L"character."));
    PostMessageW(notice, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(notice); }, kStepMs));
    EXPECT_EQ(ProxyServer(), "192.0.2.9:9");
    EXPECT_EQ(ini_.ReadString("URL", "DEFAULT", "<absent>"), "<absent>");
    wchar_t sections[512] = {};
    DWORD n = GetPrivateProfileSectionNamesW(sections, 512, Widen(ini_.FileName()).c_str());
    EXPECT_EQ(std::wstring(sections, n), std::wstring(L"URL\0SERVER\0TIMEOUT\0CHECK\0", 25));

    // --- 20,000 entries: the first 10,000 are listed.
    provider.SetListEntries({});
    provider.SetEntries(20000);
    Alt(w, L'g');
    ASSERT_TRUE(WaitFor([&] { return listed() == 10000; }, kLongMs)) << listed();
    EXPECT_EQ(ProxyServer(), SampleProvider::ListEntries("/pla5.html", 1, 0)[0]);

    PostMessageW(w, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.ExitCode(), 0u);
}

TEST_F(HostilePages, TestStartsABrowserWhosePathHasBlanksAndNoPlantedProgram) {
    const std::string scratchFolder = scratch::HelperProgram("e2e-scratch");
    const std::string browser = scratchFolder + "\\Stand In\\browser.exe";
    scratch::MakeFolders(scratchFolder + "\\Stand In");
    CopyFileW(Widen(scratch::HelperProgram("StandInBrowser.exe")).c_str(), Widen(browser).c_str(), FALSE);
    // What Windows would start from the unquoted path: a program that records nothing.
    CopyFileW(Widen(scratch::HelperProgram("HoldLock.exe")).c_str(),
              Widen(scratchFolder + "\\Stand.exe").c_str(), FALSE);
    const std::string record = scratchFolder + "\\blanks-record.txt";
    DeleteFileW(Widen(record).c_str());
    SetEnvironmentVariableW(L"QB_STANDIN_RECORD", Widen(record).c_str());
    ini_.WriteString("CHROME", "PATH", browser);
    ini_.WriteString("BROWSER", "DEFAULT", "1");
    ini_.WriteString("URL", "CHECKER1", "http://127.0.0.1:9/left-tester");
    ini_.WriteString("URL", "CHECKER2", "http://127.0.0.1:9/a --b");

    ProgramCopy program(folder_);
    HWND w = program.MainWindow();
    ASSERT_TRUE(w);
    HWND test = Child(w, L"Button", L"Test (&C)");
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
    EXPECT_EQ(argc, 2);  // the tester address is the browser's one argument
    LocalFree(argv);

    PostMessageW(w, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.ExitCode(), 0u);
    SetEnvironmentVariableW(L"QB_STANDIN_RECORD", nullptr);
}
