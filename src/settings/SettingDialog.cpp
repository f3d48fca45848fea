#include "settings/SettingDialog.h"

#include <windows.h>

#include <cstdio>

#include "settings/Defaults.h"
#include "settings/FirefoxProfile.h"
#include "settings/ProgramCheck.h"
#include "settings/UserPath.h"
#include "base/Text.h"

namespace {

using ui::Kind;

constexpr char kIniNotFound[] = "=== IniFile Not Found ===";
constexpr char kOperaNotFound[] = "Opera.exe Not Found";
constexpr char kFirefoxNotFound[] = "Firefox.exe Not Found";
constexpr int32_t kDefaultPosition = 300;

}  // namespace

std::optional<std::string> CurrentLoginName() {
    // Ask for the length first: names longer than the classic 30-character
    // buffer exist (domain and Microsoft accounts) and are used whole.
    DWORD size = 0;
    GetUserNameW(nullptr, &size);
    if (size == 0) return std::nullopt;
    std::wstring name(size, L'\0');
    if (!GetUserNameW(name.data(), &size)) return std::nullopt;
    name.resize(size > 0 ? size - 1 : 0);  // size counts the terminating NUL
    return base::Narrow(name);
}

TfrmSetting::TfrmSetting(HWND owner, IniFile& settings)
    : operaIniTemplate(defaults::OperaIniTemplate),
      chromePathTemplate(defaults::ChromePathTemplate),
      settings_(settings) {
    // The layout table reads best one control a line.
    // clang-format off
    Create({"Setting", 401, 557, ui::FormStyle::Dialog},
           {
               {&fraProxyType, Kind::GroupBox, {8, 8, 297, 41}, "Default ProxyType / Option"},
               {&cmbProxyType,
                Kind::DropDownList,
                {8, 16, 129, 20},
                "",
                &fraProxyType,
                {"Anonymous", "Non-Anonymous", "Speed Ranking"}},
               {&cmbAnyOption,
                Kind::DropDownList,
                {144, 16, 145, 20},
                "",
                &fraProxyType,
                {"All", "No Outputed Variables", "Output Variables", "Camouflaged Address"}},
               {&GrpTimeout, Kind::GroupBox, {312, 8, 81, 41}, "TimeOut"},
               {&txtTimeout, Kind::Edit, {8, 16, 33, 20}, "", &GrpTimeout},
               {&LabelSec, Kind::Label, {48, 20, 0, 0}, "Sec.", &GrpTimeout},
               {&fraDefaultProxy, Kind::GroupBox, {8, 56, 233, 41}, "Default Proxy"},
               {&txtDefaultProxy, Kind::Edit, {8, 16, 217, 20}, "", &fraDefaultProxy},
               {&GrpBrowser, Kind::GroupBox, {248, 56, 145, 41}, "Default Browser"},
               {&cmbBrowser,
                Kind::DropDownList,
                {8, 16, 129, 20},
                "",
                &GrpBrowser,
                {"Internet Explorer", "Google Chrome", "Mozilla Firefox", "Opera"}},
               {&fraProviderURL,
                Kind::GroupBox,
                {8, 104, 385, 137},
                "CyberSyndrome URL/UserID/Password"},
               {&LbLAnonymous, Kind::Label, {8, 20, 0, 0}, "Anonymous", &fraProviderURL},
               {&txtAnonymousURL, Kind::Edit, {120, 16, 257, 20}, "", &fraProviderURL},
               {&LbLNonAnonymousURL, Kind::Label, {8, 44, 0, 0}, "Non-Anonymous", &fraProviderURL},
               {&txtNonAnonymousURL, Kind::Edit, {120, 40, 257, 20}, "", &fraProviderURL},
               {&LbLSpeedRL, Kind::Label, {8, 68, 0, 0}, "SpeedRanking", &fraProviderURL},
               {&txtSpeedURL, Kind::Edit, {120, 64, 257, 20}, "", &fraProviderURL},
               {&Label1, Kind::Label, {8, 92, 0, 0}, "UID/Pwd URL", &fraProviderURL},
               {&txtPasswdURL, Kind::Edit, {120, 88, 257, 20}, "", &fraProviderURL},
               {&LabelUID, Kind::Label, {8, 116, 0, 0}, "UserID/Password", &fraProviderURL},
               {&txtUserID, Kind::Edit, {120, 112, 105, 20}, "", &fraProviderURL},
               {&txtPassword, Kind::Edit, {232, 112, 145, 20}, "", &fraProviderURL},
               {&grpCheckerURL, Kind::GroupBox, {8, 248, 201, 65}, "Tester URL"},
               {&LbLCheckerURL1, Kind::Label, {8, 20, 0, 0}, "（L）", &grpCheckerURL},
               {&txtCheckerURL1, Kind::Edit, {40, 16, 153, 20}, "", &grpCheckerURL},
               {&LbLCheckerURL2, Kind::Label, {8, 44, 0, 0}, "（R）", &grpCheckerURL},
               {&txtCheckerURL2, Kind::Edit, {40, 40, 153, 20}, "", &grpCheckerURL},
               {&grpTerminal, Kind::GroupBox, {216, 248, 177, 42}, "At Termination"},
               {&cmbTerminal,
                Kind::DropDownList,
                {8, 16, 161, 20},
                "",
                &grpTerminal,
                {"Keep Current", "Direct Connection", "Default Proxy Connection"}},
               {&GroupBox1, Kind::GroupBox, {7, 320, 386, 49}, "Google Chrome"},
               {&Label2, Kind::Label, {8, 20, 0, 0}, "Path", &GroupBox1},
               {&txtChromePath, Kind::Edit, {48, 16, 265, 20}, "", &GroupBox1},
               {&cmdChromeScan, Kind::Button, {320, 16, 57, 20}, "Auto", &GroupBox1},
               {&fraFireFoxini, Kind::GroupBox, {8, 376, 385, 65}, "Mozilla Firefox"},
               {&LbLFirefoxPath, Kind::Label, {8, 20, 0, 0}, "Path", &fraFireFoxini},
               {&txtFirefoxPath, Kind::Edit, {48, 16, 265, 20}, "", &fraFireFoxini},
               {&LbLFirefoxIni, Kind::Label, {8, 44, 0, 0}, "IniFile", &fraFireFoxini},
               {&txtFirefoxIni, Kind::Edit, {48, 40, 265, 20}, "", &fraFireFoxini},
               {&cmdFirefoxScan, Kind::Button, {320, 40, 57, 20}, "Auto", &fraFireFoxini},
               {&fraOperaini, Kind::GroupBox, {8, 448, 385, 65}, "Opera"},
               {&LbLOperaPath, Kind::Label, {8, 20, 0, 0}, "Path", &fraOperaini},
               {&txtOperaPath, Kind::Edit, {48, 16, 265, 20}, "", &fraOperaini},
               {&LbLOperaIni, Kind::Label, {8, 44, 0, 0}, "IniFile", &fraOperaini},
               {&txtOperaIni, Kind::Edit, {48, 40, 265, 20}, "", &fraOperaini},
               {&cmdAutoScan, Kind::Button, {320, 40, 57, 20}, "Auto", &fraOperaini},
               {&OKBtn, Kind::DefaultButton, {24, 524, 105, 25}, "Save  (&W)"},
               {&CancelBtn, Kind::CancelButton, {144, 524, 105, 25}, "Cancel (&C)"},
               {&cmdInitialize, Kind::Button, {288, 524, 105, 25}, "Initialization (&I)"},
           },
           owner);
    // clang-format on
    cmbBrowser.onClick = [this] { cmbBrowserClick(); };
    cmdChromeScan.onClick = [this] { cmdChromeScanClick(); };
    cmdFirefoxScan.onClick = [this] { cmdFirefoxScanClick(); };
    cmdAutoScan.onClick = [this] { cmdAutoScanClick(); };
    OKBtn.onClick = [this] { OKBtnClick(); };
    CancelBtn.onClick = [this] { SetModalResult(ui::mrCancel); };
    cmdInitialize.onClick = [this] { cmdInitializeClick(); };
}

void TfrmSetting::LoadPosition() {
    int top = settings_.ReadInteger("POSITION", "S_TOP", kDefaultPosition);
    int left = settings_.ReadInteger("POSITION", "S_LEFT", kDefaultPosition);
    MoveToStoredPosition(left, top);
}

void TfrmSetting::SavePosition() {
    settings_.WriteInteger("POSITION", "S_TOP", Top());
    settings_.WriteInteger("POSITION", "S_LEFT", Left());
}

void TfrmSetting::LoadIndex(ui::ComboBox& list, const char* section, const char* key, int32_t fallback) {
    // An index edited by hand beyond the items leaves the list showing nothing.
    int32_t index = settings_.ReadInteger(section, key, fallback);
    list.SetItemIndex(index >= 0 && index < list.Count() ? index : -1);
}

void TfrmSetting::SaveIndex(const ui::ComboBox& list, const char* section, const char* key,
                            int32_t fallback) {
    // A list showing nothing stores what the file held, so Save never turns a
    // setting into -1, which no reader expects.
    int index = list.ItemIndex();
    settings_.WriteInteger(section, key, index >= 0 ? index : settings_.ReadInteger(section, key, fallback));
}

void TfrmSetting::CheckProgram(const ui::Edit& programPath, ui::Edit& prefsFile, ui::Button& autoButton,
                               const char* notFoundText) {
    bool found = CanOpenForReading(programPath.Text());
    prefsFile.SetEnabled(found);
    autoButton.SetEnabled(found);
    if (!found) prefsFile.SetText(notFoundText);
}

void TfrmSetting::FormShow() {
    LoadPosition();
    LoadIndex(cmbProxyType, "SERVER", "TYPE", 0);
    LoadIndex(cmbAnyOption, "SERVER", "ANYOPTION", 1);
    txtDefaultProxy.SetText(settings_.ReadString("URL", "DEFAULT", ""));
    txtAnonymousURL.SetText(settings_.ReadString("URL", "ANONYMOUS", defaults::DefaultAnonymousUrl));
    txtNonAnonymousURL.SetText(settings_.ReadString("URL", "NONANONYMOUS", defaults::DefaultNonAnonymousUrl));
    txtSpeedURL.SetText(settings_.ReadString("URL", "SPEEDRANK", defaults::DefaultSpeedRankUrl));
    txtCheckerURL1.SetText(settings_.ReadString("URL", "CHECKER1", defaults::DefaultChecker1Url));
    txtCheckerURL2.SetText(settings_.ReadString("URL", "CHECKER2", defaults::DefaultChecker2Url));
    txtPasswdURL.SetText(settings_.ReadString("URL", "IDPASS", defaults::DefaultIdPassUrl));
    LoadIndex(cmbTerminal, "TERMINAL", "OPTION", 1);
    txtOperaIni.SetText(settings_.ReadString("OPERA", "INIFILE", defaults::OperaIniTemplate));
    txtOperaPath.SetText(settings_.ReadString("OPERA", "PATH", defaults::OperaProgramPath));
    txtFirefoxIni.SetText(settings_.ReadString("FIREFOX", "INIFILE", ""));
    txtFirefoxPath.SetText(settings_.ReadString("FIREFOX", "PATH", defaults::FirefoxProgramPath));
    txtChromePath.SetText(settings_.ReadString("CHROME", "PATH", defaults::ChromePathTemplate));
    LoadIndex(cmbBrowser, "BROWSER", "DEFAULT", 0);
    txtUserID.SetText(settings_.ReadString("CYBER", "USERID", defaults::DefaultUserId));
    txtPassword.SetText(settings_.ReadString("CYBER", "PASSWORD", defaults::DefaultPassword));
    txtTimeout.SetText(settings_.ReadString("TIMEOUT", "PROXY", defaults::DefaultTimeOutText));
    CheckProgram(txtOperaPath, txtOperaIni, cmdAutoScan, kOperaNotFound);
    CheckProgram(txtFirefoxPath, txtFirefoxIni, cmdFirefoxScan, kFirefoxNotFound);
}

void TfrmSetting::OKBtnClick() {
    // A refused write stops the remaining keys, but the dialog still closes:
    // the error reaches the standard error box after this handler returns.
    struct CloseAfterwards {
        TfrmSetting& dialog;
        ~CloseAfterwards() { dialog.SetModalResult(ui::mrOk); }
    } closeAfterwards{*this};

    SaveIndex(cmbProxyType, "SERVER", "TYPE", 0);
    SaveIndex(cmbAnyOption, "SERVER", "ANYOPTION", 1);
    settings_.WriteString("URL", "DEFAULT", txtDefaultProxy.Text());
    settings_.WriteString("URL", "ANONYMOUS", txtAnonymousURL.Text());
    settings_.WriteString("URL", "NONANONYMOUS", txtNonAnonymousURL.Text());
    settings_.WriteString("URL", "SPEEDRANK", txtSpeedURL.Text());
    settings_.WriteString("URL", "CHECKER1", txtCheckerURL1.Text());
    settings_.WriteString("URL", "CHECKER2", txtCheckerURL2.Text());
    settings_.WriteString("URL", "IDPASS", txtPasswdURL.Text());
    SaveIndex(cmbTerminal, "TERMINAL", "OPTION", 1);
    settings_.WriteString("OPERA", "INIFILE", txtOperaIni.Text());
    settings_.WriteString("OPERA", "PATH", txtOperaPath.Text());
    settings_.WriteString("FIREFOX", "INIFILE", txtFirefoxIni.Text());
    settings_.WriteString("FIREFOX", "PATH", txtFirefoxPath.Text());
    settings_.WriteString("CHROME", "PATH", txtChromePath.Text());
    SaveIndex(cmbBrowser, "BROWSER", "DEFAULT", 0);
    settings_.WriteString("CYBER", "USERID", txtUserID.Text());
    settings_.WriteString("CYBER", "PASSWORD", txtPassword.Text());
    settings_.WriteString("TIMEOUT", "PROXY", txtTimeout.Text());
    SavePosition();
}

void TfrmSetting::cmdInitializeClick() {
    settings_.WriteInteger("SERVER", "TYPE", 0);
    settings_.WriteInteger("SERVER", "ANYOPTION", 1);
    settings_.WriteString("URL", "DEFAULT", "");
    settings_.WriteString("URL", "ANONYMOUS", defaults::DefaultAnonymousUrl);
    settings_.WriteString("URL", "NONANONYMOUS", defaults::DefaultNonAnonymousUrl);
    settings_.WriteString("URL", "SPEEDRANK", defaults::DefaultSpeedRankUrl);
    settings_.WriteString("URL", "CHECKER1", defaults::DefaultChecker1Url);
    settings_.WriteString("URL", "CHECKER2", defaults::DefaultChecker2Url);
    settings_.WriteString("URL", "IDPASS", defaults::DefaultIdPassUrl);
    settings_.WriteInteger("TERMINAL", "OPTION", 1);
    settings_.WriteString("OPERA", "INIFILE", defaults::OperaIniTemplate);
    settings_.WriteString("OPERA", "PATH", defaults::OperaProgramPath);
    settings_.WriteString("FIREFOX", "INIFILE", "");
    settings_.WriteString("FIREFOX", "PATH", defaults::FirefoxProgramPath);
    settings_.WriteString("CHROME", "PATH", defaults::ChromePathTemplate);
    settings_.WriteInteger("BROWSER", "DEFAULT", 0);
    settings_.WriteString("CYBER", "USERID", defaults::DefaultUserId);
    settings_.WriteString("CYBER", "PASSWORD", defaults::DefaultPassword);
    settings_.WriteString("TIMEOUT", "PROXY", defaults::DefaultTimeOutText);
    FormShow();
}

void TfrmSetting::cmbBrowserClick() {
    switch (cmbBrowser.ItemIndex()) {
        case 2: CheckBrowserPath("FIREFOX"); break;
        case 3: CheckBrowserPath("OPERA"); break;
        default: break;  // Chrome is accepted unchecked, as its default path is per-user
    }
}

void TfrmSetting::CheckBrowserPath(const std::string& section) {
    // The stored path decides, not the field: an unsaved edit does not count.
    if (!StoredProgramExists(settings_, section)) cmbBrowser.SetItemIndex(0);
}

void TfrmSetting::ExpandUserName(std::string& path) const {
    std::optional<std::string> name = loginName ? loginName() : std::nullopt;
    if (name) path = userpath::Expand(path, *name);
}

std::string TfrmSetting::ReadOperaProxyServer(const std::string& path) const {
    return IniFile(path, IniOwner::Foreign).ReadString("Proxy", "HTTP Server", defaults::Missing);
}

void TfrmSetting::cmdAutoScanClick() {
    std::string path = operaIniTemplate;
    ExpandUserName(path);
    // Only a file that already carries a proxy entry counts as Opera's own.
    txtOperaIni.SetText(ReadOperaProxyServer(path) != defaults::Missing ? path : kIniNotFound);
}

void TfrmSetting::cmdFirefoxScanClick() {
    std::string path = FindProfilePrefsFile(appDataFolder);
    txtFirefoxIni.SetText(path.empty() ? kIniNotFound : path);
}

void TfrmSetting::cmdChromeScanClick() {
    std::string path = chromePathTemplate;
    ExpandUserName(path);
    txtChromePath.SetText(path);
}
