#include <gtest/gtest.h>

#include <functional>

#include "app/AboutWindow.h"
#include "app/AppFixture.h"
#include "settings/SettingDialog.h"
#include "support/LoopbackServer.h"
#include "base/Text.h"

namespace {

using DialogsFromWindow = AppTest;

// Runs fn once from inside the modal loop that the next call opens.
class OnceInsideModal {
public:
    explicit OnceInsideModal(std::function<void()> fn) : fn_(std::move(fn)) {
        current_ = this;
        id_ = SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR id, DWORD) {
            KillTimer(nullptr, id);
            if (current_) current_->fn_();
        });
    }
    ~OnceInsideModal() {
        KillTimer(nullptr, id_);
        current_ = nullptr;
    }

private:
    static inline OnceInsideModal* current_ = nullptr;
    std::function<void()> fn_;
    UINT_PTR id_;
};

}  // namespace

TEST_F(DialogsFromWindow, CancelledSettingsStillReReadTimeOutAndCredentialsPage) {
    TfrmMain& f = Start();
    ASSERT_EQ(f.TimeOutSec, 10);
    SetFocus(f.cmdSetting.Handle());
    bool wasVisible = false;
    HWND focusInside = nullptr;
    OnceInsideModal inside([&] {
        wasVisible = f.SettingDialog->Visible();
        focusInside = GetFocus();
        IniFile ini = Ini();
        ini.WriteString("TIMEOUT", "PROXY", "25");
        ini.WriteString("URL", "IDPASS", "127.0.0.1/idpass.html");
        // Esc
        PostMessageW(f.SettingDialog->Handle(), WM_COMMAND, IDCANCEL, 0);
    });
    SendMessageW(f.cmdSetting.Handle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(wasVisible);
    // The dialog opens on its first control; closed, it hands the focus back.
    EXPECT_EQ(focusInside, f.SettingDialog->cmbProxyType.Handle());
    EXPECT_EQ(GetFocus(), f.cmdSetting.Handle());
    EXPECT_FALSE(f.SettingDialog->Visible());
    EXPECT_EQ(f.TimeOutSec, 25);
    EXPECT_EQ(f.IdPassUrl, "127.0.0.1/idpass.html");
    EXPECT_TRUE(IsWindowEnabled(f.Handle()));
}

TEST_F(DialogsFromWindow, TimeOutThatIsNotANumberMeansTenSeconds) {
    TfrmMain& f = Start();
    OnceInsideModal inside([&] {
        SetWindowTextW(f.SettingDialog->txtTimeout.Handle(), L"abc");
        SendMessageW(f.SettingDialog->OKBtn.Handle(), BM_CLICK, 0, 0);
    });
    SendMessageW(f.cmdSetting.Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(Ini().ReadString("TIMEOUT", "PROXY", ""), "abc");
    EXPECT_EQ(f.TimeOutSec, 10);
}

TEST_F(DialogsFromWindow, AboutIsCentredOverTheMovedMainWindow) {
    TfrmMain& f = Start();
    SetWindowPos(f.Handle(), nullptr, 123, 211, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    RECT about{};
    std::string caption, release;
    OnceInsideModal inside([&] {
        GetWindowRect(f.AboutDialog->Handle(), &about);
        caption = f.AboutDialog->Caption();
        release = f.AboutDialog->LblRelease.Text();
        PostMessageW(f.AboutDialog->Handle(), WM_CLOSE, 0, 0);
    });
    f.ImageClick();
    // The 446 x 226 main window at 123, 211; the 275 x 131 About window centred on it.
    ASSERT_EQ(f.Width(), 446);
    ASSERT_EQ(f.Height(), 226);
    EXPECT_EQ(about.left, 208);
    EXPECT_EQ(about.top, 258);
    EXPECT_EQ(about.right - about.left, 275);
    EXPECT_EQ(about.bottom - about.top, 131);
    EXPECT_EQ(caption, "Quillbarrow2012 ");
    EXPECT_EQ(release, "Ver1.01 2012-02-12");
}

TEST_F(DialogsFromWindow, ThanksLineOpensTheProviderSite) {
    TfrmMain& f = Start();
    static std::string opened;
    f.AboutDialog->openAddress = [](const char* address) { opened = address; };
    SendMessageW(f.AboutDialog->Handle(), WM_COMMAND,
                 MAKEWPARAM(f.AboutDialog->LbLCyberSyndrome.Id(), STN_CLICKED),
                 reinterpret_cast<LPARAM>(f.AboutDialog->LbLCyberSyndrome.Handle()));
    EXPECT_EQ(opened, "http://www.cybersyndrome.net");
    EXPECT_EQ(f.AboutDialog->LbLCyberSyndrome.Text(), "Special Thanks to http://www.cybersyndrome.net");
}

TEST_F(DialogsFromWindow, OwnerIsEnabledAgainWhenShowingFails) {
    TfrmMain& f = Start();
    struct Failing : ui::Form {
        explicit Failing(HWND owner) { Create({"Failing", 100, 50, ui::FormStyle::Dialog}, {}, owner); }
        void FormShow() override { throw Exception("cannot show"); }
    } failing(f.Handle());
    EXPECT_THROW(failing.ShowModal(), Exception);
    EXPECT_TRUE(IsWindowEnabled(f.Handle()));
    EXPECT_FALSE(failing.IsModal());
}

// Firefox running, with a proxy in use in prefs.js, follows the Windows
// settings: every switch goes there and no notice is shown. The Setting
// dialog turns that off, and on again into the profile in use whichever
// browser is selected. Use Proxy and Direct are also pinned end to end.
TEST_F(DialogsFromWindow, FirefoxFollowingWindowsIsSwitchedThereAndTurnedOffAndOn) {
    const std::string kOurs = "user_pref(\"network.proxy.type\", 5);\r\n";
    const std::string inUse =
        "user_pref(\"network.proxy.http\", \"192.0.2.11\");\nuser_pref(\"network.proxy.http_port\", 3128);\n"
        "user_pref(\"network.proxy.type\", 1);\n";
    RunFirefox(inUse);
    const std::string userJs = prefs.substr(0, prefs.rfind('\\')) + "\\user.js";
    Reg().SetString("ProxyServer", "192.0.2.20:8020");
    qbtest::LoopbackServer lists({qbtest::Reply().Send(qbtest::HttpResponse(
        "200 OK", {}, "<tr><th>hour</th></tr><a class=\"xA\">192.0.2.10:8080</a><!-- end -->"))});
    Ini().WriteString("URL", "ANONYMOUS", lists.Url("/pla5.html").substr(7));
    Ini().WriteString("URL", "DEFAULT", "192.0.2.62:8062");
    Ini().WriteInteger("TERMINAL", "OPTION", 2);
    Ini().WriteInteger("FIREFOX", "FOLLOW_WINDOWS", 1);
    // A program that exists, or Save would store "Firefox.exe Not Found" as the prefs.js to use.
    Ini().WriteString("FIREFOX", "PATH", scratch::HelperProgram("StandInBrowser.exe"));
    TfrmMain& f = Start();
    EXPECT_EQ(f.Caption() + ", " + f.stsBar.PanelText(1),
              "Quillbarrow2012 for Mozilla Firefox, Direct Connection");

    Click(f.cmdUseProxy);
    EXPECT_EQ(Switch() + ", " + f.stsBar.PanelText(1), "192.0.2.20:8020 on, Using 192.0.2.20:8020");
    EXPECT_TRUE(RegFile(key.Path() + "\\Connections").GetBinary("DefaultConnectionSettings"));
    EXPECT_EQ(scratch::ReadBytes(userJs), kOurs);
    Click(f.cmdGetList);
    EXPECT_EQ(Switch(), "192.0.2.10:8080 on");
    Click(f.cmdUseDefault);
    Click(f.cmdUseProxy);
    EXPECT_EQ(Switch(), "192.0.2.62:8062 off");
    // Leaving Firefox applies the termination choice to the Windows settings.
    PickFromList(f.cmbBrowser, 0);
    PickFromList(f.cmbBrowser, 2);
    EXPECT_EQ(f.stsBar.PanelText(1), "Using 192.0.2.62:8062");
    base::ProcessMessages();
    EXPECT_TRUE(testing_support::Notices().empty());

    // Saved with the box clicked, and the profile's prefs.js as given.
    auto saveWithTheBoxClicked = [&](const std::string& prefsJs) {
        OnceInsideModal inside([&] {
            SetWindowTextW(f.SettingDialog->txtFirefoxIni.Handle(), base::Widen(prefsJs).c_str());
            SendMessageW(f.SettingDialog->chkFirefoxFollowWindows.Handle(), BM_CLICK, 0, 0);
            PostMessageW(f.SettingDialog->OKBtn.Handle(), BM_CLICK, 0, 0);
        });
        Click(f.cmdSetting);
    };
    saveWithTheBoxClicked(prefs);
    EXPECT_EQ(f.stsBar.PanelText(1) + (scratch::Exists(userJs) ? ", user.js" : ""), "Using 192.0.2.11:3128");
    EXPECT_EQ(scratch::ReadBytes(prefs), inUse);
    PickFromList(f.cmbBrowser, 0);
    scratch::MakeFolders(folder / "Other");
    saveWithTheBoxClicked(folder / "Other\\prefs.js");
    EXPECT_EQ(scratch::ReadBytes(folder / "Other\\user.js"), kOurs);
}

// Saved with Opera selected, the dialog names the Opera 12 file that now
// holds its proxy: the window shows that file's state at once.
TEST_F(DialogsFromWindow, TheStoreTheDialogNamesIsShownAtOnce) {
    Reg().SetString("ProxyServer", "192.0.2.3:80");
    Reg().SetDword("ProxyEnable", 1);
    const std::string opera = folder / "operaprefs.ini";
    scratch::WriteBytes(opera, "[Proxy]\r\nHTTP Server=192.0.2.70:3128\r\nUse HTTP=0\r\n");
    Ini().WriteString("OPERA", "PATH", scratch::HelperProgram("StandInBrowser.exe"));
    Ini().WriteInteger("BROWSER", "DEFAULT", 3);
    TfrmMain& f = Start();
    ASSERT_EQ(f.stsBar.PanelText(1), "Using 192.0.2.3:80");
    OnceInsideModal inside([&] {
        SetWindowTextW(f.SettingDialog->txtOperaIni.Handle(), base::Widen(opera).c_str());
        SendMessageW(f.SettingDialog->OKBtn.Handle(), BM_CLICK, 0, 0);
    });
    SendMessageW(f.cmdSetting.Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(f.stsBar.PanelText(1), "Direct Connection");
}
