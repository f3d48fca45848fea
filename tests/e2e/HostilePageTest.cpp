// What a hostile list provider can make the real program do: nothing. Pages
// whose header never ends, whose entry carries line breaks, or which list
// 20,000 proxies.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <string>

#include "e2e/Remote.h"
#include "support/SampleProvider.h"
#include "settings/IniFile.h"
#include "base/Text.h"

using namespace e2e;
using qbtest::SampleProvider;

namespace {

constexpr int kStepMs = 10000;
// Only a hang runs out of this; a loaded machine may be slow, but not this slow.
constexpr int kLongMs = 30000;

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

}  // namespace

TEST(HostilePages, EndlessHeaderLineBreaksAndTwentyThousandEntriesChangeNothingTheyShouldNot) {
    const std::string folder = CopyProgramTo("hostile");
    IniFile ini(folder + "\\Quillbarrow.ini");
    SampleProvider provider;
    provider.SetCredentials("", "");  // open lists; no credentials page is asked
    ini.WriteString("URL", "ANONYMOUS", provider.Address("/pla5.html"));
    ini.WriteString("URL", "IDPASS", "");
    ini.WriteString("SERVER", "ANYOPTION", "0");  // every entry of the page
    ini.WriteString("TIMEOUT", "PROXY", "3");
    // The provider lists documentation addresses, which must not be contacted.
    ini.WriteString("CHECK", "ENABLE", "0");
    InternetSettings().SetString("ProxyServer", "192.0.2.9:9");

    ProgramCopy program(folder);
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
    // with it as the list's text is refused with a notice.
    provider.SetBehaviour(SampleProvider::Behaviour::Serve, "/pla5.html");
    provider.SetListEntries({"1.2.3.4:80\r\n[ZZZ]\r\nINJECTED=1", "192.0.2.5:80"});
    Alt(w, L'g');
    ASSERT_TRUE(WaitFor([&] { return PanelText(status, 0) == L"Obtained" && listed() == 2; }, kStepMs));
    Alt(w, L'a');
    HWND notice = WaitTopLevel(program.pi.dwProcessId, L"Quillbarrow", kStepMs, L"#32770");
    ASSERT_TRUE(notice);
    PostMessageW(notice, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(notice); }, kStepMs));
    EXPECT_EQ(ProxyServer(), "192.0.2.9:9");
    EXPECT_EQ(ini.ReadString("URL", "DEFAULT", "<absent>"), "<absent>");
    wchar_t sections[512] = {};
    DWORD n = GetPrivateProfileSectionNamesW(sections, 512, base::Widen(ini.FileName()).c_str());
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
