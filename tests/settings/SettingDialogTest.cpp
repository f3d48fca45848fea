#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <optional>
#include <string>

#include "settings/Defaults.h"
#include "settings/IniFile.h"
#include "settings/SettingDialog.h"
#include "settings/UserPath.h"
#include "support/ErrorBoxes.h"
#include "support/Scratch.h"
#include "base/MessageLoop.h"

namespace {

constexpr char kAbsent[] = "<absent>";
constexpr char kIniNotFound[] = "=== IniFile Not Found ===";
const std::string kName40(40, 'n');

void Click(const ui::Control& control) { SendMessageW(control.Handle(), BM_CLICK, 0, 0); }

// Picks an item as the user does: the list changes, then tells its parent.
void Pick(ui::ComboBox& list, int index) {
    SendMessageW(list.Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(GetParent(list.Handle()), WM_COMMAND, MAKEWPARAM(list.Id(), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list.Handle()));
}

void Type(ui::Edit& edit, const std::string& text) {
    std::wstring wide(text.begin(), text.end());
    SendMessageW(edit.Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

// Shows the dialog modally and runs `step` from inside its modal loop; the
// step must end the showing. Returns the modal result.
int ShowModalAndRun(TfrmSetting& dialog, std::function<void()> step) {
    static std::function<void()>* pending = nullptr;
    static TfrmSetting* target = nullptr;
    pending = &step;
    target = &dialog;
    SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        (*pending)();
        if (target->ModalResultValue() == ui::mrNone) {
            ADD_FAILURE() << "the step left the dialog open";
            PostMessageW(target->Handle(), WM_CLOSE, 0, 0);
        }
    });
    return dialog.ShowModal();
}

class SettingDialogTest : public ::testing::Test {
protected:
    scratch::Folder folder;
    IniFile ini{folder / "Quillbarrow.ini"};
    TfrmSetting dialog{nullptr, ini};

    void SetUp() override {
        testing_support::ErrorBoxes().clear();
        dialog.loginName = [] { return std::optional<std::string>("user1"); };
        dialog.appDataFolder = folder / "AppData";
        dialog.programSearch = ProgramSearch(scratch::ProgramPlaces(folder));
    }

    std::string Stored(const char* section, const char* key) const {
        return ini.ReadString(section, key, kAbsent);
    }

    // A file that opens for reading, standing in for a browser's program.
    std::string FakeProgram(const std::string& name) {
        std::string path = folder / name;
        scratch::MakeFolders(path.substr(0, path.rfind('\\')));
        scratch::WriteBytes(path, "MZ");
        return path;
    }
};

TEST_F(SettingDialogTest, FirstShowingWithoutAFileShowsEveryDefaultAndWritesNothing) {
    int result = ShowModalAndRun(dialog, [&] {
        EXPECT_EQ(dialog.Left(), 300);
        EXPECT_EQ(dialog.Top(), 300);
        EXPECT_EQ(dialog.cmbProxyType.Text(), "Anonymous");
        EXPECT_EQ(dialog.cmbAnyOption.Text(), "No Outputed Variables");
        EXPECT_EQ(dialog.txtTimeout.Text(), "10");
        EXPECT_EQ(dialog.txtDefaultProxy.Text(), "");
        EXPECT_EQ(dialog.cmbBrowser.Text(), "Internet Explorer");
        EXPECT_EQ(dialog.txtAnonymousURL.Text(), defaults::DefaultAnonymousUrl);
        EXPECT_EQ(dialog.txtNonAnonymousURL.Text(), defaults::DefaultNonAnonymousUrl);
        EXPECT_EQ(dialog.txtSpeedURL.Text(), defaults::DefaultSpeedRankUrl);
        EXPECT_EQ(dialog.txtPasswdURL.Text(), "");
        EXPECT_EQ(dialog.txtUserID.Text(), "");
        EXPECT_EQ(dialog.txtPassword.Text(), "");
        EXPECT_EQ(dialog.txtCheckerURL1.Text(), defaults::DefaultChecker1Url);
        EXPECT_EQ(dialog.txtCheckerURL2.Text(), defaults::DefaultChecker2Url);
        EXPECT_EQ(dialog.cmbTerminal.Text(), "Direct Connection");
        EXPECT_EQ(dialog.txtChromePath.Text(),
                  "C:\\Documents and Settings\\%USER%\\Local Settings\\Application "
                  "Data\\Google\\Chrome\\Application\\chrome.exe");
        EXPECT_EQ(dialog.txtFirefoxPath.Text(), "C:\\Program Files\\Mozilla Firefox\\firefox.exe");
        EXPECT_EQ(dialog.txtOperaPath.Text(), "C:\\Program Files\\Opera\\Opera.exe");
        // No browser is installed in the test prefix, so both program checks fail.
        EXPECT_EQ(dialog.txtFirefoxIni.Text(), "Firefox.exe Not Found");
        EXPECT_EQ(dialog.txtOperaIni.Text(), "Opera.exe Not Found");
        EXPECT_EQ(dialog.txtWatch.Text(), "0");
        Click(dialog.CancelBtn);
    });
    EXPECT_EQ(result, ui::mrCancel);
    EXPECT_FALSE(scratch::Exists(ini.FileName()));
}

TEST_F(SettingDialogTest, StoredValuesAreShownUnchanged) {
    // An existing program lets the preference-file fields show what is stored.
    ini.WriteString("OPERA", "PATH", FakeProgram("opera.exe"));
    ini.WriteString("FIREFOX", "PATH", FakeProgram("firefox.exe"));
    dialog.Show();
    EXPECT_EQ(dialog.txtOperaIni.Text(),
              "C:\\Documents and Settings\\%USER%\\Application Data\\Opera\\Opera\\operaprefs.ini");
    EXPECT_EQ(dialog.txtFirefoxIni.Text(), "");
    EXPECT_TRUE(dialog.txtOperaIni.Enabled());
    EXPECT_TRUE(dialog.cmdAutoScan.Enabled());
    EXPECT_TRUE(dialog.cmdFirefoxScan.Enabled());

    ini.WriteInteger("SERVER", "TYPE", 2);
    ini.WriteInteger("SERVER", "ANYOPTION", 3);
    ini.WriteInteger("TERMINAL", "OPTION", 0);
    ini.WriteInteger("BROWSER", "DEFAULT", 3);
    ini.WriteString("CYBER", "USERID", "me");
    ini.WriteString("TIMEOUT", "PROXY", " 0x1E ");
    ini.WriteString("CHECK", "WATCH", "abc");
    ini.WriteInteger("CHECK", "AUTONEXT", 1);
    ini.WriteInteger("FIREFOX", "FOLLOW_WINDOWS", 1);
    dialog.Show();
    EXPECT_EQ(dialog.cmbProxyType.Text(), "Speed Ranking");
    EXPECT_EQ(dialog.cmbAnyOption.Text(), "Camouflaged Address");
    EXPECT_EQ(dialog.cmbTerminal.Text(), "Keep Current");
    EXPECT_EQ(dialog.cmbBrowser.Text(), "Opera");
    EXPECT_EQ(dialog.txtUserID.Text(), "me");
    EXPECT_EQ(dialog.txtTimeout.Text(), "0x1E");
    EXPECT_EQ(dialog.txtWatch.Text(), "abc");
    auto boxes = [&] {
        return std::to_string(dialog.chkAutoNext.Checked() + dialog.chkFirefoxFollowWindows.Checked());
    };
    EXPECT_EQ(boxes(), "2");
    // A check box shows 1 as on, anything else as off.
    ini.WriteInteger("CHECK", "AUTONEXT", 2);
    ini.WriteString("FIREFOX", "FOLLOW_WINDOWS", "yes");
    dialog.Show();
    EXPECT_EQ(boxes(), "0");
}

TEST_F(SettingDialogTest, MissingProgramDisablesItsFieldAndSaveStoresTheNotice) {
    ASSERT_FALSE(scratch::Exists("C:\\Program Files\\Opera\\Opera.exe"));
    ini.WriteString("FIREFOX", "PATH", FakeProgram("firefox.exe"));
    ini.WriteString("FIREFOX", "INIFILE", "C:\\ff\\prefs.js");
    dialog.Show();
    EXPECT_FALSE(dialog.txtOperaIni.Enabled());
    EXPECT_FALSE(dialog.cmdAutoScan.Enabled());
    EXPECT_EQ(dialog.txtOperaIni.Text(), "Opera.exe Not Found");
    EXPECT_TRUE(dialog.txtFirefoxIni.Enabled());
    EXPECT_EQ(dialog.txtFirefoxIni.Text(), "C:\\ff\\prefs.js");

    // Typing a good path enables nothing until the dialog is loaded again.
    Type(dialog.txtOperaPath, FakeProgram("opera.exe"));
    SetFocus(dialog.txtOperaPath.Handle());
    EXPECT_FALSE(dialog.cmdAutoScan.Enabled());

    Click(dialog.OKBtn);
    EXPECT_EQ(Stored("OPERA", "INIFILE"), "Opera.exe Not Found");
    EXPECT_EQ(Stored("FIREFOX", "INIFILE"), "C:\\ff\\prefs.js");

    dialog.Show();
    EXPECT_TRUE(dialog.txtOperaIni.Enabled());
    EXPECT_TRUE(dialog.cmdAutoScan.Enabled());
    EXPECT_EQ(dialog.txtOperaIni.Text(), "Opera.exe Not Found");
    // Each showing starts on the first control.
    EXPECT_EQ(GetFocus(), dialog.cmbProxyType.Handle());
}

TEST_F(SettingDialogTest, StoredPositionMustLeaveTheCaptionWithinReach) {
    struct Case {
        int left, top, expectedLeft, expectedTop;
    } cases[] = {
        // The dialog nearly fills the test screen's height: at a top of 40 it would be moved up.
        {-250, 20, -250, 20},  // 157 pixels of the caption show: kept
        {-400, 20, 0, 20},     // 7 pixels are too few to grab
        {-5000, -5000, 0, 0},  // on no monitor at all
    };
    for (const Case& c : cases) {
        ini.WriteInteger("POSITION", "S_LEFT", c.left);
        ini.WriteInteger("POSITION", "S_TOP", c.top);
        dialog.Show();
        ASSERT_EQ(dialog.Width(), 407) << "the rows assume this width";
        EXPECT_EQ(dialog.Left(), c.expectedLeft) << c.left << "," << c.top;
        EXPECT_EQ(dialog.Top(), c.expectedTop) << c.left << "," << c.top;
    }
}

TEST_F(SettingDialogTest, SavedTextSurvivesARestartWhateverTheCodePage) {
    if (const char* want = std::getenv("QB_EXPECT_ACP")) ASSERT_EQ(GetACP(), std::strtoul(want, nullptr, 10));
    // Japanese and accented letters: outside code page 1252 and outside 932.
    const std::string typed =
        "C:\\Users\\J\xC3\xBCrgen\\\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E caf\xC3\xA9\\prefs.js";
    ini.WriteString("FIREFOX", "PATH", FakeProgram("firefox.exe"));
    dialog.Show();
    dialog.txtFirefoxIni.SetText(typed);
    Click(dialog.OKBtn);

    IniFile restarted(ini.FileName());
    TfrmSetting again(nullptr, restarted);
    again.Show();
    EXPECT_EQ(again.txtFirefoxIni.Text(), typed);
    EXPECT_EQ(restarted.ReadString("FIREFOX", "INIFILE", ""), typed);
}

TEST_F(SettingDialogTest, PickingABrowserChecksTheStoredProgramPath) {
    dialog.Show();
    Pick(dialog.cmbBrowser, 3);  // OPERA/PATH absent: reads "0"
    EXPECT_EQ(dialog.cmbBrowser.ItemIndex(), 0);
    Pick(dialog.cmbBrowser, 2);
    EXPECT_EQ(dialog.cmbBrowser.ItemIndex(), 0);
    Pick(dialog.cmbBrowser, 1);  // Chrome is never checked
    EXPECT_EQ(dialog.cmbBrowser.ItemIndex(), 1);

    // The path in the field does not count before it is saved.
    Type(dialog.txtOperaPath, FakeProgram("opera.exe"));
    Pick(dialog.cmbBrowser, 3);
    EXPECT_EQ(dialog.cmbBrowser.ItemIndex(), 0);

    Click(dialog.OKBtn);
    Pick(dialog.cmbBrowser, 3);
    EXPECT_EQ(dialog.cmbBrowser.ItemIndex(), 3);

    // A path too long for the program's path field is refused whole.
    std::string longPath = folder / (std::string(200, 'p') + ".exe");
    ini.WriteString("OPERA", "PATH", longPath);
    Pick(dialog.cmbBrowser, 3);
    EXPECT_EQ(dialog.cmbBrowser.ItemIndex(), 0);
}

TEST_F(SettingDialogTest, SaveWritesEveryFieldAsShown) {
    ini.WriteString("POSITION", "S_TOP", "120");
    ini.WriteString("POSITION", "S_LEFT", "140");
    dialog.Show();
    EXPECT_EQ(dialog.Top(), 120);
    EXPECT_EQ(dialog.Left(), 140);
    Pick(dialog.cmbProxyType, 1);
    Pick(dialog.cmbAnyOption, 0);
    Pick(dialog.cmbTerminal, 2);
    Type(dialog.txtTimeout, "abc");
    Type(dialog.txtDefaultProxy, "192.0.2.7:8080");
    Type(dialog.txtCheckerURL2, "");
    Type(dialog.txtUserID, "uid");
    Type(dialog.txtPassword, "pw");
    Type(dialog.txtWatch, "45");
    Click(dialog.chkAutoNext);
    SendMessageW(dialog.chkFirefoxFollowWindows.Handle(), BM_CLICK, 0, 0);
    SetWindowPos(dialog.Handle(), nullptr, 210, 170, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Click(dialog.OKBtn);

    EXPECT_EQ(dialog.ModalResultValue(), ui::mrOk);
    EXPECT_EQ(Stored("SERVER", "TYPE"), "1");
    EXPECT_EQ(Stored("SERVER", "ANYOPTION"), "0");
    EXPECT_EQ(Stored("TERMINAL", "OPTION"), "2");
    EXPECT_EQ(Stored("BROWSER", "DEFAULT"), "0");
    EXPECT_EQ(Stored("TIMEOUT", "PROXY"), "abc");
    EXPECT_EQ(ini.ReadInteger("TIMEOUT", "PROXY", 10), 10);
    EXPECT_EQ(Stored("URL", "DEFAULT"), "192.0.2.7:8080");
    EXPECT_EQ(Stored("URL", "ANONYMOUS"), defaults::DefaultAnonymousUrl);
    EXPECT_EQ(Stored("URL", "CHECKER2"), "");
    EXPECT_EQ(Stored("URL", "IDPASS"), "");
    EXPECT_EQ(Stored("CYBER", "USERID"), "uid");
    EXPECT_EQ(Stored("CYBER", "PASSWORD"), "pw");
    EXPECT_EQ(Stored("CHECK", "WATCH"), "45");
    EXPECT_EQ(Stored("CHECK", "AUTONEXT"), "1");
    EXPECT_EQ(Stored("CHROME", "PATH"), defaults::ChromePathTemplate);
    EXPECT_EQ(Stored("EDGE", "PATH"), "");
    EXPECT_EQ(Stored("FIREFOX", "PATH"), defaults::FirefoxProgramPath);
    EXPECT_EQ(Stored("FIREFOX", "FOLLOW_WINDOWS"), "1");
    EXPECT_EQ(Stored("POSITION", "S_TOP"), "170");
    EXPECT_EQ(Stored("POSITION", "S_LEFT"), "210");
    EXPECT_EQ(Stored("POSITION", "M_TOP"), kAbsent);

    // The next showing reloads from the file, at the saved place.
    Type(dialog.txtTimeout, "unsaved");
    Click(dialog.chkAutoNext);
    SetWindowPos(dialog.Handle(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    dialog.Show();
    EXPECT_EQ(dialog.txtTimeout.Text(), "abc");
    EXPECT_TRUE(dialog.chkAutoNext.Checked());
    EXPECT_EQ(dialog.Left(), 210);
    EXPECT_EQ(dialog.Top(), 170);
}

TEST_F(SettingDialogTest, ListsArePickOnlyAndNeverStoreAnIndexNoReaderExpects) {
    for (ui::ComboBox* list :
         {&dialog.cmbProxyType, &dialog.cmbAnyOption, &dialog.cmbBrowser, &dialog.cmbTerminal}) {
        EXPECT_EQ(GetWindowLongW(list->Handle(), GWL_STYLE) & 3, CBS_DROPDOWNLIST);
    }
    // Indexes edited by hand beyond the items show no item and survive a Save.
    ini.WriteInteger("SERVER", "TYPE", 7);
    ini.WriteInteger("SERVER", "ANYOPTION", -1);
    ini.WriteInteger("BROWSER", "DEFAULT", 9);
    ini.WriteString("TERMINAL", "OPTION", "x");  // not a number: the default
    dialog.Show();
    EXPECT_EQ(dialog.cmbProxyType.ItemIndex(), -1);
    EXPECT_EQ(dialog.cmbProxyType.Text(), "");
    EXPECT_EQ(dialog.cmbAnyOption.ItemIndex(), -1);
    EXPECT_EQ(dialog.cmbBrowser.ItemIndex(), -1);
    EXPECT_EQ(dialog.cmbTerminal.ItemIndex(), 1);
    Click(dialog.OKBtn);
    EXPECT_EQ(Stored("SERVER", "TYPE"), "7");
    EXPECT_EQ(Stored("SERVER", "ANYOPTION"), "-1");
    EXPECT_EQ(Stored("BROWSER", "DEFAULT"), "9");
    EXPECT_EQ(Stored("TERMINAL", "OPTION"), "1");
}

TEST_F(SettingDialogTest, InitializationWritesTheDefaultsThatCancelKeeps) {
    ini.WriteInteger("SERVER", "TYPE", 2);
    ini.WriteString("URL", "ANONYMOUS", "example.org/a.html");
    ini.WriteString("OPERA", "PATH", FakeProgram("opera.exe"));
    ini.WriteString("TIMEOUT", "PROXY", "abc");
    ini.WriteInteger("BROWSER", "DEFAULT", 3);
    ini.WriteInteger("CHECK", "AUTONEXT", 1);
    ini.WriteInteger("POSITION", "S_TOP", 40);
    ini.WriteInteger("POSITION", "S_LEFT", 50);

    int result = ShowModalAndRun(dialog, [&] {
        EXPECT_EQ(dialog.txtTimeout.Text(), "abc");
        Type(dialog.txtDefaultProxy, "192.0.2.9:3128");
        SetWindowPos(dialog.Handle(), nullptr, 400, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        Click(dialog.cmdInitialize);
        EXPECT_EQ(dialog.ModalResultValue(), ui::mrNone);  // stays open
        EXPECT_EQ(dialog.cmbProxyType.Text(), "Anonymous");
        EXPECT_EQ(dialog.cmbBrowser.Text(), "Internet Explorer");
        EXPECT_EQ(dialog.txtTimeout.Text(), "10");
        EXPECT_EQ(dialog.txtDefaultProxy.Text(), "");
        EXPECT_EQ(dialog.txtAnonymousURL.Text(), defaults::DefaultAnonymousUrl);
        // The reload places the dialog at its stored position again.
        EXPECT_EQ(dialog.Left(), 50);
        EXPECT_EQ(dialog.Top(), 40);
        Click(dialog.CancelBtn);
    });
    EXPECT_EQ(result, ui::mrCancel);

    const std::pair<const char*, const char*> keys[] = {
        {"SERVER", "TYPE"},      {"SERVER", "ANYOPTION"}, {"URL", "DEFAULT"},   {"URL", "ANONYMOUS"},
        {"URL", "NONANONYMOUS"}, {"URL", "SPEEDRANK"},    {"URL", "CHECKER1"},  {"URL", "CHECKER2"},
        {"URL", "IDPASS"},       {"TERMINAL", "OPTION"},  {"OPERA", "INIFILE"}, {"OPERA", "PATH"},
        {"FIREFOX", "INIFILE"},  {"FIREFOX", "PATH"},     {"CHROME", "PATH"},   {"BROWSER", "DEFAULT"},
        {"CYBER", "USERID"},     {"CYBER", "PASSWORD"},   {"TIMEOUT", "PROXY"}, {"CHECK", "AUTONEXT"},
    };
    const char* expected[] = {
        "0",
        "1",
        "",
        defaults::DefaultAnonymousUrl,
        defaults::DefaultNonAnonymousUrl,
        defaults::DefaultSpeedRankUrl,
        defaults::DefaultChecker1Url,
        defaults::DefaultChecker2Url,
        defaults::DefaultIdPassUrl,
        "1",
        defaults::OperaIniTemplate,
        defaults::OperaProgramPath,
        "",
        defaults::FirefoxProgramPath,
        defaults::ChromePathTemplate,
        "0",
        "",
        "",
        "10",
        "0",
    };
    for (size_t i = 0; i < std::size(keys); ++i) {
        EXPECT_EQ(Stored(keys[i].first, keys[i].second), expected[i])
            << keys[i].first << "/" << keys[i].second;
    }
    EXPECT_EQ(Stored("POSITION", "S_TOP"), "40");
    EXPECT_EQ(Stored("POSITION", "S_LEFT"), "50");
}

TEST_F(SettingDialogTest, EnterSavesAndEscapeCancels) {
    int result = ShowModalAndRun(dialog, [&] {
        Type(dialog.txtTimeout, "25");
        SetFocus(dialog.txtTimeout.Handle());
        // IsDialogMessage turns Enter into IDOK from the focused edit field.
        SendMessageW(dialog.Handle(), WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(result, ui::mrOk);
    EXPECT_EQ(Stored("TIMEOUT", "PROXY"), "25");

    result = ShowModalAndRun(dialog, [&] {
        // A new showing starts on the first control, wherever the last one ended.
        EXPECT_EQ(GetFocus(), dialog.cmbProxyType.Handle());
        Type(dialog.txtTimeout, "99");
        SendMessageW(dialog.Handle(), WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(result, ui::mrCancel);
    EXPECT_EQ(Stored("TIMEOUT", "PROXY"), "25");

    result = ShowModalAndRun(dialog, [&] {
        Type(dialog.txtTimeout, "99");
        SendMessageW(dialog.Handle(), WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(result, ui::mrCancel);
    EXPECT_EQ(Stored("TIMEOUT", "PROXY"), "25");
}

// The settings file refuses a control character: checked in every field
// before anything is written, so nothing is, and the dialog stays open.
TEST_F(SettingDialogTest, ATextTheFileCannotHoldSavesNothingAndNamesItsField) {
    auto& notices = testing_support::Notices();
    notices.clear();
    dialog.Show();
    Type(dialog.txtPassword, "pass\tword");
    Click(dialog.OKBtn);
    EXPECT_EQ(dialog.ModalResultValue(), ui::mrNone);
    EXPECT_FALSE(scratch::Exists(ini.FileName()));
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].text,
              "Nothing was saved: the field \"Password\" holds a line break or another control character (a "
              "pasted tab, for example).\n\nTake it out, then save again.");
}

TEST(SettingDialogWriteError, RefusedWriteIsShownAndTheDialogStillCloses) {
    testing_support::ErrorBoxes().clear();
    scratch::Folder folder;
    IniFile ini(folder / "missing\\Quillbarrow.ini");
    TfrmSetting dialog(nullptr, ini);
    int result = ShowModalAndRun(dialog, [&] { Click(dialog.OKBtn); });
    EXPECT_EQ(result, ui::mrOk);
    ASSERT_EQ(testing_support::ErrorBoxes().size(), 1u);
    EXPECT_EQ(testing_support::ErrorBoxes()[0], ini.FileName() + " に書き込めません");
}

TEST_F(SettingDialogTest, OperaAutoFindsOnlyAFileWithAProxyEntry) {
    ini.WriteString("OPERA", "PATH", FakeProgram("opera.exe"));
    dialog.loginName = [] { return std::optional<std::string>(kName40); };
    dialog.operaIniTemplate = folder / "%USER%\\operaprefs.ini";
    const std::string expanded = folder / (kName40 + "\\operaprefs.ini");
    scratch::MakeFolders(folder / kName40);
    dialog.Show();

    Click(dialog.cmdAutoScan);  // no file
    EXPECT_EQ(dialog.txtOperaIni.Text(), kIniNotFound);

    scratch::WriteBytes(expanded, "[Proxy]\r\nUse HTTP=1\r\nHTTP Server=0\r\n");
    Click(dialog.cmdAutoScan);
    EXPECT_EQ(dialog.txtOperaIni.Text(), kIniNotFound);

    scratch::WriteBytes(expanded, "[Proxy]\r\nHTTP Server=192.0.2.1:80\r\n");
    Click(dialog.cmdAutoScan);
    EXPECT_EQ(dialog.txtOperaIni.Text(), expanded);

    // Without a login name the placeholder stays and names no file.
    dialog.loginName = [] { return std::optional<std::string>(); };
    scratch::MakeFolders(folder / "%USER%");
    Click(dialog.cmdAutoScan);
    EXPECT_EQ(dialog.txtOperaIni.Text(), kIniNotFound);

    // Nothing reaches the file before Save.
    EXPECT_EQ(Stored("OPERA", "INIFILE"), kAbsent);
}

TEST_F(SettingDialogTest, FirefoxAutoFindsTheProfileInUse) {
    ini.WriteString("FIREFOX", "PATH", FakeProgram("firefox.exe"));
    ini.WriteString("FIREFOX", "INIFILE", "C:\\stored\\prefs.js");
    dialog.Show();

    Click(dialog.cmdFirefoxScan);  // no Profiles.ini
    EXPECT_EQ(dialog.txtFirefoxIni.Text(), kIniNotFound);

    const std::string firefox = folder / "AppData\\Mozilla\\Firefox";
    scratch::MakeFolders(firefox);
    scratch::WriteBytes(firefox + "\\Profiles.ini", "[Profile0]\r\nPath=abcd1234.default\r\n");
    Click(dialog.cmdFirefoxScan);
    EXPECT_EQ(dialog.txtFirefoxIni.Text(), kIniNotFound);

    scratch::WriteBytes(firefox + "\\Profiles.ini",
                        "[Profile0]\r\nName=default\r\nPath=Profiles/abcd1234.default\r\n");
    Click(dialog.cmdFirefoxScan);
    EXPECT_EQ(dialog.txtFirefoxIni.Text(), firefox + "\\Profiles\\abcd1234.default\\prefs.js");

    // After an upgrade Firefox runs the profile its Install section names.
    scratch::MakeFolders(firefox + "\\Profiles\\efgh5678.default-release");
    scratch::WriteBytes(firefox + "\\Profiles.ini",
                        "[Install308046B0AF4A39CB]\r\nDefault=Profiles/efgh5678.default-release\r\n"
                        "[Profile1]\r\nPath=Profiles/efgh5678.default-release\r\n"
                        "[Profile0]\r\nName=default\r\nPath=Profiles/abcd1234.default\r\nDefault=1\r\n");
    Click(dialog.cmdFirefoxScan);
    EXPECT_EQ(dialog.txtFirefoxIni.Text(), firefox + "\\Profiles\\efgh5678.default-release\\prefs.js");
    EXPECT_EQ(Stored("FIREFOX", "INIFILE"), "C:\\stored\\prefs.js");
}

TEST_F(SettingDialogTest, ProgramsFoundWhereInstalledCountAndAutoFillsTheirFields) {
    FakeProgram("Local\\Programs\\Opera\\launcher.exe");
    dialog.Show();
    EXPECT_TRUE(dialog.txtOperaIni.Enabled());
    Pick(dialog.cmbBrowser, 3);
    EXPECT_EQ(dialog.cmbBrowser.ItemIndex(), 3);
    Pick(dialog.cmbBrowser, 4);  // Edge is nowhere
    EXPECT_EQ(dialog.cmbBrowser.ItemIndex(), 0);
    Click(dialog.cmdEdgeScan);
    EXPECT_EQ(dialog.txtEdgePath.Text(), "=== msedge.exe Not Found ===");

    const std::string chrome = FakeProgram("Local\\Google\\Chrome\\Application\\chrome.exe");
    const std::string edge = FakeProgram("PF86\\Microsoft\\Edge\\Application\\msedge.exe");
    Pick(dialog.cmbBrowser, 4);
    EXPECT_EQ(dialog.cmbBrowser.Text(), "Microsoft Edge");
    Click(dialog.cmdChromeScan);
    Click(dialog.cmdEdgeScan);
    EXPECT_EQ(Stored("EDGE", "PATH"), kAbsent);  // nothing reaches the file before Save
    Click(dialog.OKBtn);
    EXPECT_EQ(Stored("CHROME", "PATH") + ", " + Stored("EDGE", "PATH") + ", " + Stored("BROWSER", "DEFAULT"),
              chrome + ", " + edge + ", 4");
}

TEST(UserPath, LoginNameHasNoTrailingNul) {
    std::optional<std::string> name = CurrentLoginName();
    ASSERT_TRUE(name);
    EXPECT_FALSE(name->empty());
    EXPECT_EQ(name->find('\0'), std::string::npos);
}

TEST_F(SettingDialogTest, LayoutFollowsTheTableInClientPixels) {
    RECT client{};
    GetClientRect(dialog.Handle(), &client);
    ASSERT_EQ(dialog.Dpi(), 96);
    EXPECT_EQ(client.right, 401);
    EXPECT_EQ(client.bottom, 705);
    EXPECT_EQ(dialog.Caption(), "Setting");
    EXPECT_EQ(dialog.OKBtn.Text(), "Save  (&W)");
    EXPECT_TRUE(GetWindowLongW(dialog.OKBtn.Handle(), GWL_STYLE) & BS_DEFPUSHBUTTON);
    EXPECT_FALSE(GetWindowLongW(dialog.Handle(), GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX));

    auto at = [&](const ui::Control& c) {
        RECT r{};
        GetWindowRect(c.Handle(), &r);
        MapWindowPoints(nullptr, dialog.Handle(), reinterpret_cast<POINT*>(&r), 2);
        return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right - r.left);
    };
    EXPECT_EQ(at(dialog.cmdAutoScan), "328,512,57");    // inside fraOperaini
    EXPECT_EQ(at(dialog.cmdChromeScan), "327,336,57");  // GroupBox1 starts at 7
    EXPECT_EQ(at(dialog.txtPassword), "240,216,145");
    EXPECT_EQ(at(dialog.cmdInitialize), "288,672,105");
}

TEST_F(SettingDialogTest, ChangeOfScaleMovesAndSizesTheLabels) {
    ASSERT_EQ(dialog.Dpi(), 96);
    auto bounds = [&](const ui::Control& c) {
        RECT r{};
        GetWindowRect(c.Handle(), &r);
        MapWindowPoints(nullptr, dialog.Handle(), reinterpret_cast<POINT*>(&r), 2);
        return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right - r.left) +
               "," + std::to_string(r.bottom - r.top);
    };
    EXPECT_EQ(bounds(dialog.LabelSec), "360,28,26,15");
    EXPECT_EQ(bounds(dialog.LabelUID), "16,220,99,15");
    RECT suggested{100, 100, 100 + 610, 100 + 866};
    SendMessageW(dialog.Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(dialog.Dpi(), 144);
    EXPECT_EQ(bounds(dialog.LabelSec), "540,42,38,22");
    EXPECT_EQ(bounds(dialog.LabelUID), "24,330,148,22");
    EXPECT_EQ(bounds(dialog.txtUserID), "192,324,158,30");  // an edit field, for comparison
}

}  // namespace
