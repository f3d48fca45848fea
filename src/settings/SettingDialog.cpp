#include "settings/SettingDialog.h"

#include <windows.h>

#include <cstdio>

#include "settings/Defaults.h"
#include "settings/FirefoxProfile.h"
#include "settings/IniRules.h"
#include "settings/ProgramCheck.h"
#include "settings/UserPath.h"
#include "base/Notice.h"
#include "base/Text.h"

namespace {

using ui::Kind;

constexpr char kIniNotFound[] = "=== IniFile Not Found ===";
constexpr char kOperaNotFound[] = "Opera.exe Not Found";
constexpr char kFirefoxNotFound[] = "Firefox.exe Not Found";

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
    : operaIniTemplate(defaults::OperaIniTemplate), settings_(settings) {
    // The layout table reads best one control a line.
    // clang-format off
    Create({"Setting", 401, 705, ui::FormStyle::Dialog},
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
                {"Internet Explorer", "Google Chrome", "Mozilla Firefox", "Opera", "Microsoft Edge"}},
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
               {&fraFireFoxini, Kind::GroupBox, {8, 376, 385, 89}, "Mozilla Firefox"},
               {&LbLFirefoxPath, Kind::Label, {8, 20, 0, 0}, "Path", &fraFireFoxini},
               {&txtFirefoxPath, Kind::Edit, {48, 16, 265, 20}, "", &fraFireFoxini},
               {&LbLFirefoxIni, Kind::Label, {8, 44, 0, 0}, "IniFile", &fraFireFoxini},
               {&txtFirefoxIni, Kind::Edit, {48, 40, 265, 20}, "", &fraFireFoxini},
               {&cmdFirefoxScan, Kind::Button, {320, 40, 57, 20}, "Auto", &fraFireFoxini},
               {&chkFirefoxFollowWindows,
                Kind::CheckBox,
                {8, 64, 281, 17},
                "Follow the Windows proxy settings",
                &fraFireFoxini},
               {&fraOperaini, Kind::GroupBox, {8, 472, 385, 65}, "Opera"},
               {&LbLOperaPath, Kind::Label, {8, 20, 0, 0}, "Path", &fraOperaini},
               {&txtOperaPath, Kind::Edit, {48, 16, 265, 20}, "", &fraOperaini},
               {&LbLOperaIni, Kind::Label, {8, 44, 0, 0}, "IniFile", &fraOperaini},
               {&txtOperaIni, Kind::Edit, {48, 40, 265, 20}, "", &fraOperaini},
               {&cmdAutoScan, Kind::Button, {320, 40, 57, 20}, "Auto", &fraOperaini},
               {&grpEdge, Kind::GroupBox, {8, 544, 385, 49}, "Microsoft Edge"},
               {&LbLEdgePath, Kind::Label, {8, 20, 0, 0}, "Path", &grpEdge},
               {&txtEdgePath, Kind::Edit, {48, 16, 265, 20}, "", &grpEdge},
               {&cmdEdgeScan, Kind::Button, {320, 16, 57, 20}, "Auto", &grpEdge},
               {&grpWatch, Kind::GroupBox, {8, 600, 385, 65}, "Watch"},
               {&LbLWatch, Kind::Label, {8, 20, 0, 0}, "Watch the proxy in use every", &grpWatch},
               {&txtWatch, Kind::Edit, {176, 16, 41, 20}, "", &grpWatch},
               {&LbLWatchSec, Kind::Label, {224, 20, 0, 0}, "s (0 = off)", &grpWatch},
               {&chkAutoNext,
                Kind::CheckBox,
                {8, 40, 369, 17},
                "Switch to the next answering proxy when it stops",
                &grpWatch},
               {&OKBtn, Kind::DefaultButton, {24, 672, 105, 25}, "Save  (&W)"},
               {&CancelBtn, Kind::CancelButton, {144, 672, 105, 25}, "Cancel (&C)"},
               {&cmdInitialize, Kind::Button, {288, 672, 105, 25}, "Initialization (&I)"},
           },
           owner);
    // clang-format on
    cmbBrowser.onClick = [this] { cmbBrowserClick(); };
    cmdChromeScan.onClick = [this] { cmdChromeScanClick(); };
    cmdEdgeScan.onClick = [this] { cmdEdgeScanClick(); };
    cmdFirefoxScan.onClick = [this] { cmdFirefoxScanClick(); };
    cmdAutoScan.onClick = [this] { cmdAutoScanClick(); };
    OKBtn.onClick = [this] { OKBtnClick(); };
    CancelBtn.onClick = [this] { SetModalResult(ui::mrCancel); };
    cmdInitialize.onClick = [this] { cmdInitializeClick(); };
    fields_ = {
        {cmbProxyType, setting::ListType},
        {cmbAnyOption, setting::ListOption},
        {txtDefaultProxy, setting::DefaultProxy, "Default Proxy"},
        {txtAnonymousURL, setting::AnonymousUrl, "Anonymous URL"},
        {txtNonAnonymousURL, setting::NonAnonymousUrl, "Non-Anonymous URL"},
        {txtSpeedURL, setting::SpeedRankUrl, "SpeedRanking URL"},
        {txtCheckerURL1, setting::Checker1Url, "Tester URL (L)"},
        {txtCheckerURL2, setting::Checker2Url, "Tester URL (R)"},
        {txtPasswdURL, setting::IdPassUrl, "UID/Pwd URL"},
        {cmbTerminal, setting::TerminalOption},
        {txtOperaIni, setting::OperaIniFile, "Opera IniFile"},
        {txtOperaPath, setting::OperaPath, "Opera Path"},
        {txtFirefoxIni, setting::FirefoxIniFile, "Mozilla Firefox IniFile"},
        {txtFirefoxPath, setting::FirefoxPath, "Mozilla Firefox Path"},
        {chkFirefoxFollowWindows, setting::FirefoxFollowWindows},
        {txtChromePath, setting::ChromePath, "Google Chrome Path"},
        {txtEdgePath, setting::EdgePath, "Microsoft Edge Path"},
        {cmbBrowser, setting::DefaultBrowser},
        {txtUserID, setting::CyberUserId, "UserID"},
        {txtPassword, setting::CyberPassword, "Password"},
        {txtTimeout, setting::TimeOut, "TimeOut"},
        {txtWatch, setting::Watch, "Watch"},
        {chkAutoNext, setting::AutoNext},
    };
}

void TfrmSetting::LoadPosition() {
    int top = settings_.Read(setting::DialogTop);
    int left = settings_.Read(setting::DialogLeft);
    MoveToStoredPosition(left, top);
}

void TfrmSetting::SavePosition() {
    settings_.Write(setting::DialogTop, Top());
    settings_.Write(setting::DialogLeft, Left());
}

void TfrmSetting::LoadIndex(ui::ComboBox& list, const IntSetting& key) {
    // An index edited by hand beyond the items leaves the list showing nothing.
    int32_t index = settings_.Read(key);
    list.SetItemIndex(index >= 0 && index < list.Count() ? index : -1);
}

void TfrmSetting::SaveIndex(const ui::ComboBox& list, const IntSetting& key) {
    // A list showing nothing stores what the file held, so Save never turns a
    // setting into -1, which no reader expects.
    int index = list.ItemIndex();
    settings_.Write(key, index >= 0 ? index : settings_.Read(key));
}

void TfrmSetting::CheckProgram(int kind, const ui::Edit& programPath, ui::Edit& prefsFile,
                               ui::Button& autoButton, const char* notFoundText) {
    bool found = CanOpenForReading(programPath.Text()) || programSearch.Find(kind);
    prefsFile.SetEnabled(found);
    autoButton.SetEnabled(found);
    if (!found) prefsFile.SetText(notFoundText);
}

void TfrmSetting::FormShow() {
    LoadPosition();
    for (const Field& f : fields_) {
        if (f.list)
            LoadIndex(*f.list, f.index);
        else if (f.box)
            f.box->SetChecked(settings_.IsOn(f.index));
        else
            f.edit->SetText(settings_.Read(f.text));
    }
    CheckProgram(3, txtOperaPath, txtOperaIni, cmdAutoScan, kOperaNotFound);
    CheckProgram(2, txtFirefoxPath, txtFirefoxIni, cmdFirefoxScan, kFirefoxNotFound);
}

const TfrmSetting::Field* TfrmSetting::UnstorableField() const {
    for (const Field& f : fields_)
        if (f.edit && !ini::IsOneLineText(f.edit->Text())) return &f;
    return nullptr;
}

void TfrmSetting::OKBtnClick() {
    // The settings file refuses such a text (it would start a key of its
    // own), and would do so with the keys before it already written: all or
    // nothing, and the user is shown where.
    if (const Field* bad = UnstorableField()) {
        SetFocus(bad->edit->Handle());
        SendMessageW(bad->edit->Handle(), EM_SETSEL, 0, -1);
        base::ShowNotice(Handle(), std::string("Nothing was saved: the field \"") + bad->name +
                                       "\" holds a line break or another control character (a pasted "
                                       "tab, for example).\n\nTake it out, then save again.");
        return;
    }
    // A refused write stops the remaining keys, but the dialog still closes:
    // the error reaches the standard error box after this handler returns.
    struct CloseAfterwards {
        TfrmSetting& dialog;
        ~CloseAfterwards() { dialog.SetModalResult(ui::mrOk); }
    } closeAfterwards{*this};

    for (const Field& f : fields_) {
        if (f.list)
            SaveIndex(*f.list, f.index);
        else if (f.box)
            settings_.Write(f.index, f.box->Checked() ? 1 : 0);
        else
            settings_.Write(f.text, f.edit->Text());
    }
    SavePosition();
}

void TfrmSetting::cmdInitializeClick() {
    for (const Field& f : fields_) {
        if (f.list || f.box)
            settings_.Write(f.index, f.index.fallback);
        else
            settings_.Write(f.text, f.text.fallback);
    }
    FormShow();
}

void TfrmSetting::cmbBrowserClick() {
    switch (int kind = cmbBrowser.ItemIndex()) {
        case 2:
        case 3:
        case 4: CheckBrowserPath(kind); break;
        default: break;  // Chrome is accepted unchecked, as its default path is per-user
    }
}

void TfrmSetting::CheckBrowserPath(int kind) {
    // The stored path decides, not the field: an unsaved edit does not count.
    if (!LocateProgram(settings_, kind, programSearch)) cmbBrowser.SetItemIndex(0);
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

void TfrmSetting::FillFromSearch(int kind, ui::Edit& programPath) {
    std::optional<std::string> found = programSearch.Find(kind);
    programPath.SetText(found ? *found
                              : "=== " + std::string(programs::ProgramOf(kind)->exe) + " Not Found ===");
}

void TfrmSetting::cmdChromeScanClick() { FillFromSearch(1, txtChromePath); }

void TfrmSetting::cmdEdgeScanClick() { FillFromSearch(4, txtEdgePath); }
