#include "app/MainWindow.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "app/AboutWindow.h"
#include "app/Pictures.h"
#include "browsers/Browse.h"
#include "list/IDChecker.h"
#include "list/NextProxy.h"
#include "list/ProxyCheck.h"
#include "list/ProxyListPage.h"
#include "list/ProxyWatch.h"
#include "net/HttpClient.h"
#include "settings/Defaults.h"
#include "settings/IniRules.h"
#include "settings/ProgramCheck.h"
#include "settings/SettingDialog.h"
#include "base/Error.h"
#include "base/Notice.h"
#include "base/Text.h"

namespace {

// Posted to itself once the window is shown: build what can wait until then.
constexpr UINT kCreateLaterMessage = WM_APP + 1;
// Posted to itself by TellUser: the notices wait for the command to finish.
constexpr UINT kNoticeMessage = WM_APP + 2;

// An edited address is written once the user has paused this long: each
// write is announced to every running WinINet program, and Chrome follows it.
constexpr UINT kEditSettleMs = 500;

constexpr char kFirefoxOpen[] =
    "Firefox is open. It keeps its own copy of the proxy settings and writes it back "
    "when it closes, which would undo this change, so nothing was changed.\n\n";
// After kFirefoxOpen, in a balloon: the two together fit its 255 characters.
constexpr char kFirefoxOpenTold[] =
    "Close Firefox and switch again, or open the window to have Firefox follow the Windows "
    "proxy settings.";
constexpr char kFirefoxOpenAsked[] =
    "Should Firefox follow the Windows proxy settings? From Firefox's next start, every switch "
    "then reaches it at once, also while it runs; this one is made now.\n\n"
    "Otherwise: Close Firefox, then switch again.";
// After "<address> stopped answering." when AUTONEXT finds Firefox open: the
// watch never opens a box, so it tries no write that would be refused.
constexpr char kFirefoxOpenNoSwitch[] = "Firefox is open, so no other proxy was switched to.";

// Only a host:port reaches a browser's settings, and only whole: whatever else
// a list page, a typed text or a stored default may hold (a line break into
// the registry value, a name that prefs.js would read as another preference)
// is written nowhere, and a longer one cut to the proxy field could name
// another port.
bool IsProxyAddress(const std::string& text) {
    return text.size() <= kMaxProxyText && probe::SplitProxyEntry(text).has_value();
}

}  // namespace

TfrmMain::TfrmMain(const MainWindowOptions& options)
    : options_(options),
      programSearch_(options.programPlaces ? ProgramSearch(*options.programPlaces) : ProgramSearch()) {
    using ui::Kind;
    isMainForm_ = true;
    cmbProxyList.itemNote = [this](int index) { return ListNote(index); };
    // The layout table reads best one control a line.
    // clang-format off
    Create({"Quillbarrow2012", 440, 201, ui::FormStyle::Single},
           {
               {&GroupProxyType, Kind::GroupBox, {8, 8, 129, 89}, "ProxyType"},
               {&RadioProxyType0, Kind::RadioButton, {8, 16, 113, 17}, "Anonymous", &GroupProxyType},
               {&RadioProxyType1, Kind::RadioButton, {8, 40, 113, 17}, "Non-Anonymous", &GroupProxyType},
               {&RadioProxyType2, Kind::RadioButton, {8, 64, 113, 17}, "Speed Ranking", &GroupProxyType},
               {&GroupOption, Kind::GroupBox, {144, 8, 153, 89}, "Option"},
               {&RadioOption0, Kind::RadioButton, {8, 16, 113, 17}, "All Proxy", &GroupOption},
               {&RadioOption1, Kind::RadioButton, {8, 32, 137, 17}, "No Outputed Variables", &GroupOption},
               {&RadioOption2, Kind::RadioButton, {8, 48, 129, 17}, "Outputed Variables", &GroupOption},
               {&RadioOption3, Kind::RadioButton, {8, 64, 129, 17}, "Camouflaged Address", &GroupOption},
               {&GrpBrowser, Kind::GroupBox, {304, 8, 129, 41}, "Browser"},
               {&cmbBrowser, Kind::DropDownList, {8, 16, 113, 20}, "", &GrpBrowser,
                {"Internet Explorer", "Google Chrome", "Mozilla Firefox", "Opera", "Microsoft Edge"}},
               {&cmdSetting, Kind::Button, {328, 74, 97, 22}, "Setting (&S)"},
               {&GrpProxy, Kind::GroupBox, {8, 100, 425, 72}, "ProxyInformation"},
               {&cmbProxyList, Kind::DropDown, {8, 16, 305, 20}, "", &GrpProxy},
               {&cmdGetList, Kind::Button, {320, 16, 97, 22}, "Get Proxy (&G)", &GrpProxy},
               {&cmdSetDefault, Kind::Button, {8, 42, 97, 22}, "Set Default (&A)", &GrpProxy},
               {&cmdUseDefault, Kind::Button, {112, 42, 97, 22}, "Use Default (&D)", &GrpProxy},
               {&cmdCheck, Kind::Button, {216, 42, 97, 22}, "Test (&C)", &GrpProxy},
               {&cmdUseProxy, Kind::Button, {320, 42, 97, 22}, "Use Proxy (&P)", &GrpProxy},
               {&Image, Kind::Picture, {328, 52, 97, 17}},
               {&stsBar, Kind::StatusBar, {0, 176, 440, 25}},
           });
    // clang-format on

    RadioProxyType0.onClick = [this] { ProxyType = 0; };
    RadioProxyType1.onClick = [this] { ProxyType = 1; };
    RadioProxyType2.onClick = [this] { ProxyType = 2; };
    RadioOption0.onClick = [this] { ProxyOption = 0; };
    RadioOption1.onClick = [this] { ProxyOption = 1; };
    RadioOption2.onClick = [this] { ProxyOption = 2; };
    RadioOption3.onClick = [this] { ProxyOption = 3; };
    cmbBrowser.onPick = [this] { cmbBrowserClick(); };
    // A step of the closed list (an arrow key, a letter) waits as an edit of
    // the proxy list does.
    cmbBrowser.onChange = [this] {
        browserWaiting_ = true;
        editTimer_.Restart(kEditSettleMs);
    };
    cmbBrowser.onLeave = [this] { ApplyWaitingEdit(); };
    cmdSetting.onClick = [this] { cmdSettingClick(); };
    cmbProxyList.onChange = [this] { cmbProxyListChange(); };
    cmbProxyList.onPick = [this] {
        if (!ended_) UseListText(true);
    };
    cmbProxyList.onEnter = [this] { ApplyWaitingEdit(); };
    cmbProxyList.onLeave = [this] { ApplyWaitingEdit(); };
    editTimer_.onTimer = [this] {
        editTimer_.SetEnabled(false);
        ApplyWaitingEdit();
    };
    cmdGetList.onClick = [this] { cmdGetListClick(); };
    cmdSetDefault.onClick = [this] { cmdSetDefaultClick(); };
    cmdUseDefault.onClick = [this] { cmdUseDefaultClick(); };
    // Test acts on the press of any mouse button and has no click handler, so
    // the keyboard does not start a browser.
    cmdCheck.onMouseDown = [this](ui::MouseButton b, WPARAM, int, int) { cmdCheckMouseDown(b); };
    cmdUseProxy.onClick = [this] { cmdUseProxyClick(); };
    Image.onPaint = [](HDC dc, const RECT& r) { PaintTitle(dc, r); };
    Image.onClick = [this] { ImageClick(); };

    PM_Open = PopupMenu.AddItem("Open(&O)", [this] { PM_OpenClick(); });
    PM_GetProxy = PopupMenu.AddItem("GetProxy(&G)", [this] { cmdGetListClick(); });
    PM_UseProxy = PopupMenu.AddItem("UseProxy(&P)", [this] { cmdUseProxyClick(); });
    PM_Direct = PopupMenu.AddItem("Direct(&P)", [this] { cmdUseProxyClick(); });
    PM_NextProxy = PopupMenu.AddItem("&Next Proxy", [this] { PM_NextProxyClick(); });
    PM_Test = PopupMenu.AddItem("Test(&C)", [this] { PM_TestClick(); });
    PM_Quit = PopupMenu.AddItem("Quit(&Q)", [this] { PM_QuitClick(); });
    PopupMenu.SetItemEnabled(PM_Open, false);
    PopupMenu.SetItemEnabled(PM_NextProxy, false);
    AddShortcut(FCONTROL, 'N', [this] { PM_NextProxyClick(); });

    AddStatePictures(IconList);
    Timer.SetInterval(400);
    Timer.onTimer = [this] { TimerTimer(); };

    Tray = std::make_unique<TTrayIcon>(Handle());
    Tray->SetIcons(&IconList);
    Tray->SetPopupMenu(&PopupMenu);
    Tray->RestoreOn = imLeftClickUp;
    Tray->PopupMenuOn = imRightClickUp;
    Tray->OnMinimize = [this] { TrayMinimize(); };
    Tray->OnRestore = [this] { TrayRestore(); };

    Inet = std::make_unique<net::TNMHTTP>();
    Inet->TimeOut = 10000;
    Inet->OnSuccess = [this](net::CmdType cmd) { InetSuccess(cmd); };

    iniFile = std::make_unique<IniFile>(SettingsFilePath(options_.settingsFolder));
    BrowserStores stores;
    stores.ieKey = options_.ieKey;
    stores.settingsFile = iniFile->FileName();
    stores.appDataFolder = options_.appDataFolder;
    Dispatcher = std::make_unique<Proxy>(stores);
    Dispatcher->onFirefoxCannotFollow = [this] { FirefoxCannotFollow(); };
    Launcher = std::make_unique<Browse>(*iniFile, programSearch_);
    Checker = std::make_unique<IDChecker>(*iniFile, *Inet, ReportSuccess);
    // The settings dialog, with its forty controls, is the costliest window to
    // build; it and the About window's native part are made once the main
    // window is on the screen (or when the user first asks for them), so the
    // program shows itself sooner.
    AboutDialog = std::make_unique<TfrmAbout>(*this);
    LoadSettings();
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::LoadSettings() {
    TimeOutSec = iniFile->ReadNumber(setting::TimeOut);
    IdPassUrl = iniFile->Read(setting::IdPassUrl);
    // A new interval, time-out or tester page reaches the watch at once.
    if (shown_) {
        StopWatch();
        UpdateWatch();
    }
}

void TfrmMain::LoadPosition() {
    int top = iniFile->Read(setting::MainTop);
    int left = iniFile->Read(setting::MainLeft);
    MoveToStoredPosition(left, top);
}

void TfrmMain::SavePosition() {
    // The normal position, also when the window is minimised or in the tray.
    iniFile->Write(setting::MainTop, Top());
    iniFile->Write(setting::MainLeft, Left());
}

void TfrmMain::CreateSettingDialog() {
    if (SettingDialog) return;
    SettingDialog = std::make_unique<TfrmSetting>(Handle(), *iniFile);
    if (!options_.appDataFolder.empty()) SettingDialog->appDataFolder = options_.appDataFolder;
    SettingDialog->programSearch = programSearch_;
}

void TfrmMain::FormShow() {
    if (shown_) return;
    shown_ = true;
    PostMessageW(Handle(), kCreateLaterMessage, 0, 0);
    LoadPosition();
    BrowserIndex = iniFile->Read(setting::DefaultBrowser);
    cmbBrowser.SetItemIndex(BrowserIndex);
    SetCaption(Dispatcher->SelectBrowser(BrowserIndex));
    ProxyType = iniFile->Read(setting::ListType);
    ProxyOption = iniFile->Read(setting::ListOption);
    ui::RadioButton* types[] = {&RadioProxyType0, &RadioProxyType1, &RadioProxyType2};
    ui::RadioButton* options[] = {&RadioOption0, &RadioOption1, &RadioOption2, &RadioOption3};
    if (ProxyType >= 0 && ProxyType < 3) types[ProxyType]->SetChecked(true);
    if (ProxyOption >= 0 && ProxyOption < 4) options[ProxyOption]->SetChecked(true);
    stsBar.AddPanel(0);
    stsBar.InsertPanel(0, 80);
    stsBar.SetPanelText(0, "Not Obtained");
    RefreshState();
    // Added now, with the picture and hint of the state just read, in one
    // call to the shell (under Wine a round trip to another process): added
    // at construction it would be changed twice more by RefreshState. A
    // missing taskbar (log-on, or a headless session) must not stop the
    // program: the icon appears once the taskbar does.
    Tray->ShowWhenPossible();
}

void TfrmMain::RefreshState(bool keepListText) {
    UsingProxy = Dispatcher->GetEnabled();
    Dispatcher->GetServer(ProxyText);
    // Rewriting an unchanged text would put the caret back to the start while
    // the user types into the box.
    if (!keepListText && cmbProxyList.Text() != ProxyText) {
        cmbProxyList.SetText(ProxyText);
        cmbProxyList.SetEditSelection(-1, -1);
    }
    const bool on = UsingProxy == 1;
    cmdUseProxy.SetText(on ? "Direct (&P)" : "Use Proxy (&P)");
    stsBar.SetPanelText(1, on ? "Using " + ProxyText : std::string("Direct Connection"));
    PopupMenu.SetItemEnabled(PM_UseProxy, !on);
    PopupMenu.SetItemEnabled(PM_Direct, on);
    Timer.SetEnabled(on);  // the animation picks the pictures while a proxy is in use
    if (!on) Tray->SetIconIndex(6);
    Tray->SetHint(std::string(defaults::AppTitle) + (on ? "\nUsing Proxy" : "\nDirect"));
    RefreshNextProxy();
    UpdateWatch();
}

void TfrmMain::ApplyTermination() {
    switch (iniFile->Read(setting::TerminalOption)) {
        case 1:
            UsingProxy = 0;
            Dispatcher->SetEnabled(0);
            break;
        case 2: {
            // The proxy is switched on before the default address is written.
            UsingProxy = 1;
            Dispatcher->SetEnabled(1);
            std::string address = iniFile->Read(setting::DefaultProxy);
            if (!IsProxyAddress(address)) break;
            ProxyText = address;
            Dispatcher->SetServer(ProxyText);
            break;
        }
        default: break;  // 0 keeps the current state; other values do nothing
    }
}

void TfrmMain::Terminate() {
    if (ended_) return;
    ended_ = true;
    CancelListCheck();
    StopWatch();
    // A refused write (an unreachable Opera file, a read-only settings folder)
    // is shown, but must not keep the user from ending the program. What the
    // user typed last reaches the browser before the termination choice.
    if (editWaiting_) base::Guarded([this] { UseListText(true); });
    if (browserWaiting_) base::Guarded([this] { ApplyBrowserStep(); });
    base::Guarded([this] { ApplyTermination(); });
    base::Guarded([this] { SavePosition(); });
}

void TfrmMain::EndSession() {
    // Windows may end the process as soon as this returns: no waiting for a
    // fetch (abandoned) or the check.
    Terminate();
    AfterFetch([this] { DestroyWindow(Handle()); });
}

bool TfrmMain::FormCloseQuery() {
    Quit();  // destroys the window itself, now or once a waiting fetch has ended
    return false;
}

void TfrmMain::Quit() {
    AfterFetch([this] {
        Terminate();
        DestroyWindow(Handle());
    });
}

void TfrmMain::AfterFetch(std::function<void()> action) {
    if (!fetching_) return action();
    // The fetch is waiting inside this very thread: abort it, and let the Get
    // Proxy command run the action once it has unwound.
    afterFetch_ = std::move(action);
    Inet->Abort();
}

bool TfrmMain::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (Tray && Tray->ApplicationHookProc(msg, wp, lp)) {
        result = 0;
        return true;
    }
    if (msg == kCreateLaterMessage) {
        CreateSettingDialog();
        AboutDialog->Build();
        result = 0;
        return true;
    }
    if (msg == kNoticeMessage) {
        ShowNotices();
        result = 0;
        return true;
    }
    // Log-off and shut-down end the program as closing it does. The window
    // gets these also while it is hidden in the notification area.
    if (msg == WM_QUERYENDSESSION) {
        result = TRUE;
        return true;
    }
    if (msg == WM_ENDSESSION) {
        if (wp) EndSession();
        result = 0;
        return true;
    }
    if (msg == WM_SETCURSOR && fetching_ && LOWORD(lp) == HTCLIENT) {
        // The window answers during a fetch, but shows that work goes on.
        SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
        result = TRUE;
        return true;
    }
    return false;
}

void TfrmMain::TellUser(const std::string& message) { Tell({message}); }

void TfrmMain::Tell(Notice notice) {
    // A box opened inside a command would hold it up until answered (Get
    // Proxy greyed out, the cursor busy, the check not started, Quit put
    // off): it opens once the command is done. The same text waiting twice
    // is told once.
    if (!Handle()) return;
    if (std::none_of(notices_.begin(), notices_.end(),
                     [&](const Notice& n) { return n.text == notice.text; }))
        notices_.push_back(std::move(notice));
    PostMessageW(Handle(), kNoticeMessage, 0, 0);
}

void TfrmMain::ShowNotices() {
    // A fetch pumps messages inside its command; Get Proxy posts again at its end.
    while (!noticeOpen_ && !fetching_ && !notices_.empty()) {
        // Nothing more once the program ends: a box would outlive its window.
        if (ended_) {
            notices_.clear();
            return;
        }
        Notice notice = std::move(notices_.front());
        notices_.pop_front();
        // Hidden in the notification area or minimised, the window has no
        // taskbar button, and its box would open unseen behind the browser.
        const bool hidden = !IsWindowVisible(Handle()) || IsIconic(Handle());
        if (hidden && Tray->ShowBalloon("Quillbarrow", notice.text)) {
            askOnRestore_ = askOnRestore_ || notice.offersFollow;
            continue;
        }
        if (notice.offersFollow) {
            AskFirefoxToFollow();
            continue;
        }
        noticeOpen_ = true;
        base::ShowNotice(Handle(), notice.text);
        noticeOpen_ = false;
    }
}

void TfrmMain::AskFirefoxToFollow() {
    // Moot once a later switch has gone through, another browser is
    // selected, or Firefox follows already.
    if (!refused_.enabled && !refused_.server) return;
    if (Dispatcher->Current() != 2 || Dispatcher->FirefoxFollowsWindows()) {
        refused_ = {};
        return;
    }
    noticeOpen_ = true;
    const bool yes = base::AskUser(Handle(), std::string(kFirefoxOpen) + kFirefoxOpenAsked);
    noticeOpen_ = false;
    const RefusedSwitch refused = std::exchange(refused_, {});
    if (!yes || ended_) return;
    base::Guarded([&] {
        SetFirefoxFollowsWindows(true);
        // In the order the commands make them: the address, then on or off.
        if (refused.server) Dispatcher->SetServer(*refused.server);
        if (refused.enabled) Dispatcher->SetEnabled(*refused.enabled);
        RefreshState();
    });
}

void TfrmMain::RefreshAfterWrite(bool written, const RefusedSwitch& change, bool keepListText) {
    // A write left out because the browser runs (only Firefox is told apart)
    // is explained; what the user typed stays in the box to be sent again.
    RefreshState(keepListText && !written);
    if (written) {
        // Whatever the question would have made is out of date now.
        refused_ = {};
        askOnRestore_ = false;
        return;
    }
    if (change.server) refused_.server = change.server;
    if (change.enabled) refused_.enabled = change.enabled;
    Tell({std::string(kFirefoxOpen) + kFirefoxOpenTold, true});
}

// --- Commands

void TfrmMain::cmdUseProxyClick() {
    ApplyWaitingEdit();
    const int state = UsingProxy == 0 ? 1 : 0;
    UsingProxy = state;
    RefusedSwitch change{.enabled = state};
    // Refused by a running Firefox, Use Proxy meant the proxy the window
    // shows: a Yes to the question takes it along to the Windows settings,
    // which may hold another address or none.
    if (state == 1 && !refused_.server && IsProxyAddress(ProxyText)) change.server = ProxyText;
    RefreshAfterWrite(Dispatcher->SetEnabled(state), change);
}

void TfrmMain::cmbProxyListChange() {
    // Written once, when the user pauses or ends the edit: typing an address
    // at a person's pace would otherwise write every part of it.
    editWaiting_ = true;
    editTimer_.Restart(kEditSettleMs);
}

void TfrmMain::ApplyWaitingEdit() {
    if (editWaiting_ && !ended_) UseListText(true);
    if (browserWaiting_ && !ended_) ApplyBrowserStep();
}

void TfrmMain::ApplyBrowserStep() {
    browserWaiting_ = false;
    // Steps that led back to the browser in use change nothing.
    if (cmbBrowser.ItemIndex() != BrowserIndex) cmbBrowserClick();
}

void TfrmMain::UseListText(bool keepListText) {
    editWaiting_ = false;
    const std::string address = cmbProxyList.Text();
    // Not a host:port: nothing is written, and the text stays as it is.
    if (!IsProxyAddress(address)) return;
    ProxyText = address;
    RefreshAfterWrite(Dispatcher->SetServer(ProxyText), {.server = ProxyText}, keepListText);
}

void TfrmMain::cmdSetDefaultClick() {
    ApplyWaitingEdit();
    const std::string text = cmbProxyList.Text();
    if (!ini::IsOneLineText(text)) {
        TellUser(
            "The default proxy was not changed: the text holds a line break or another control character.");
        return;
    }
    iniFile->Write(setting::DefaultProxy, text);
}

void TfrmMain::cmdUseDefaultClick() {
    ApplyWaitingEdit();
    cmbProxyList.SetText(iniFile->Read(setting::DefaultProxy));
    UseListText();
}

std::string TfrmMain::TesterUrl(ui::MouseButton button) const {
    return iniFile->Read(button == ui::MouseButton::Right ? setting::Checker2Url : setting::Checker1Url);
}

void TfrmMain::cmdCheckMouseDown(ui::MouseButton button) {
    ApplyWaitingEdit();
    Launcher->Launch(BrowserIndex, TesterUrl(button));
}

void TfrmMain::PM_TestClick() {
    ApplyWaitingEdit();
    Launcher->Launch(BrowserIndex, TesterUrl(ui::MouseButton::Left));
}

bool TfrmMain::CheckBrowserPath(BrowserKind kind) {
    if (LocateProgram(*iniFile, kind, programSearch_)) return true;
    cmbBrowser.SetItemIndex(0);
    return false;
}

void TfrmMain::cmbBrowserClick() {
    browserWaiting_ = false;  // this choice is the one taken up
    // An edit still waiting belongs to the browser being left. That browser
    // may refuse the writes; say so, and still switch, so the list, the
    // caption and the dispatcher never disagree.
    base::Guarded([this] { ApplyWaitingEdit(); });
    base::Guarded([this] { ApplyTermination(); });
    CancelListCheck();
    // Started afresh for the browser now selected, by RefreshState.
    StopWatch();
    const BrowserKind picked = cmbBrowser.ItemIndex();
    const bool found = picked <= 0 || CheckBrowserPath(picked);
    BrowserIndex = std::max(0, cmbBrowser.ItemIndex());
    SetCaption(Dispatcher->SelectBrowser(BrowserIndex));
    RefreshState();
    // Said once the choice is made and shown.
    if (!found) TellUser(ProgramNotFoundText(*iniFile, picked, programSearch_));
}

void TfrmMain::cmdSettingClick() {
    ApplyWaitingEdit();
    // Saved or cancelled, the settings taken up at once are read again.
    CreateSettingDialog();
    const bool followed = Dispatcher->FirefoxFollowsWindows();
    SettingDialog->ShowModal();
    LoadSettings();
    Dispatcher->PrepareBrowser();
    // Either way the selected browser's store may have changed (Opera's
    // file named or cleared, Firefox's profile or mode).
    if (Dispatcher->FirefoxFollowsWindows() != followed)
        FirefoxModeChanged();
    else
        RefreshState();
}

void TfrmMain::SetFirefoxFollowsWindows(bool on) {
    iniFile->Write(setting::FirefoxFollowWindows, on ? 1 : 0);
    Dispatcher->PrepareBrowser();
    FirefoxModeChanged();
}

void TfrmMain::FirefoxModeChanged() {
    Dispatcher->ApplyFirefoxMode();
    // With Firefox selected, its proxy now comes from the other store.
    RefreshState();
}

void TfrmMain::FirefoxCannotFollow() {
    // Every switch finds the line missing again; once is enough. At the end
    // of the program nobody would read it.
    if (toldCannotFollow_ || ended_) return;
    toldCannotFollow_ = true;
    TellUser(
        "Firefox cannot be set to follow the Windows proxy settings: the file user.js in its profile "
        "folder cannot be written, or no Firefox profile was found.\n\n"
        "The Windows proxy settings are switched all the same; Firefox keeps its own.");
}

void TfrmMain::ImageClick() {
    AboutDialog->Build();
    AboutDialog->ShowModal();
}

void TfrmMain::PM_NextProxyClick() {
    ApplyWaitingEdit();
    const std::optional<size_t> next = NextCandidate();
    if (!next) {
        MessageBeep(MB_OK);
        return;
    }
    UseEntry(*next);
}

void TfrmMain::UseEntry(size_t index) {
    cmbProxyList.SetItemIndex(static_cast<int>(index));
    UseListText(true);
    if (UsingProxy != 0) return;
    // Refused while Firefox runs, the address stays as it was, and so does
    // the switch; a Yes to the one question then makes both.
    if (Dispatcher->WritesRefused())
        refused_.enabled = 1;
    else
        cmdUseProxyClick();
}

std::optional<size_t> TfrmMain::NextCandidate() const {
    // The check's entries are the list's items: a Get Proxy clears both.
    if (!ListCheck) return std::nullopt;
    const std::vector<std::string>& entries = ListCheck->Entries();
    std::vector<nextproxy::Heard> heard(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const ProxyCheck::Result result = ListCheck->ResultOf(static_cast<int>(i));
        heard[i] = {result.outcome == probe::Outcome::Answered, result.ms};
    }
    return nextproxy::NextAnswering(entries, heard, ProxyText);
}

void TfrmMain::RefreshNextProxy() { PopupMenu.SetItemEnabled(PM_NextProxy, NextCandidate().has_value()); }

uint32_t TfrmMain::WatchIntervalMs() const {
    // Tests whose lists name addresses outside this machine ask none of them.
    if (!options_.checkListedProxies) return 0;
    const int32_t seconds =
        ini::WatchSeconds(iniFile->Read(setting::Watch), iniFile->Read(setting::CheckEnable));
    if (seconds <= 0) return 0;
    return options_.watchIntervalMs != 0 ? options_.watchIntervalMs : static_cast<uint32_t>(seconds) * 1000;
}

void TfrmMain::UpdateWatch() {
    const bool wanted = UsingProxy == 1 && shown_ && !ended_ && !fetching_;
    const uint32_t interval = wanted ? WatchIntervalMs() : 0;
    if (interval == 0) return StopWatch();
    if (InUseWatch && InUseWatch->Running() && InUseWatch->Address() == ProxyText) return;
    std::string request;
    try {
        request = probe::ProbeRequest(TesterUrl(ui::MouseButton::Left));
    } catch (const Exception&) {
        return StopWatch();  // a tester address that no request can name
    }
    if (!InUseWatch) {
        InUseWatch = std::make_unique<ProxyWatch>();
        InUseWatch->onAnswer = [this](const std::string& address, const ProxyCheck::Result& result) {
            // By text, in the list as it is now: a result never lands on
            // another list's entry.
            if (!ListCheck) return;
            const std::vector<std::string>& entries = ListCheck->Entries();
            for (size_t i = 0; i < entries.size(); ++i) {
                if (nextproxy::SameAddress(entries[i], address) &&
                    ListCheck->Note(static_cast<int>(i), result))
                    cmbProxyList.RedrawItem(static_cast<int>(i));
            }
        };
        InUseWatch->onStopped = [this](const std::string& address) { WatchStopped(address); };
    }
    // A typed address that is not host:port is not watched.
    InUseWatch->Start(ProxyText, std::move(request), probe::CheckBoundMs(TimeOutSec), interval);
}

void TfrmMain::StopWatch() {
    if (InUseWatch) InUseWatch->Stop();
}

void TfrmMain::WatchStopped(const std::string& address) {
    std::string text = nextproxy::StoppedAnswering(address);
    if (iniFile->Read(setting::AutoNext) == 1) {
        if (Dispatcher->WritesRefused()) {
            text += std::string(" ") + kFirefoxOpenNoSwitch;
        } else if (const std::optional<size_t> next = NextCandidate()) {
            text += " " + nextproxy::SwitchedTo(ListCheck->Entries()[*next]);
            UseEntry(*next);
        } else {
            text += std::string(" ") + nextproxy::kNoOtherAnswered;
        }
    }
    // Always a balloon: the watch speaks unasked, and a box would take the
    // keyboard from whatever the user is doing.
    Tray->ShowBalloon("Quillbarrow", text);
}

void TfrmMain::PM_OpenClick() { Tray->Restore(); }
void TfrmMain::PM_QuitClick() { Quit(); }
void TfrmMain::TrayMinimize() { PopupMenu.SetItemEnabled(PM_Open, true); }
void TfrmMain::TrayRestore() {
    PopupMenu.SetItemEnabled(PM_Open, false);
    // The question that a balloon could only announce.
    if (std::exchange(askOnRestore_, false)) Tell({std::string(kFirefoxOpen) + kFirefoxOpenTold, true});
}

void TfrmMain::TimerTimer() { Tray->SetIconIndex((Tray->IconIndex() + 1) % 6); }

void TfrmMain::SetFetching(bool fetching) {
    fetching_ = fetching;
    // A second Get Proxy would start a second request on the one client.
    cmdGetList.SetEnabled(!fetching);
    PopupMenu.SetItemEnabled(PM_GetProxy, !fetching);
    RefreshCursor();
}

void TfrmMain::cmdGetListClick() {
    if (fetching_) return;
    ApplyWaitingEdit();
    SetFetching(true);
    // It starts again on the new list's state.
    StopWatch();
    // The results belong to the list that this command replaces.
    if (ListCheck) {
        ListCheck->Clear();
        cmbProxyList.RedrawItem(-1);
        RefreshNextProxy();
    }
    SetCredentials();
    // A quit during the credentials fetch ends the command there.
    bool listed = !afterFetch_ && FetchList();
    SetFetching(false);
    if (afterFetch_)
        std::exchange(afterFetch_, nullptr)();
    else if (listed)
        StartListCheck();
    UpdateWatch();
    // What the command had to tell, now that it is done.
    if (!notices_.empty() && Handle()) PostMessageW(Handle(), kNoticeMessage, 0, 0);
}

void TfrmMain::SetCredentials() {
    Inet->HeaderInfo.UserId = defaults::Missing;
    Inet->HeaderInfo.Password = defaults::Missing;
    if (IdPassUrl.empty()) return;
    Checker->Lookup(CyberUserId, CyberPassword);
    if (CyberUserId != defaults::Missing) {
        Inet->HeaderInfo.UserId = CyberUserId;
        Inet->HeaderInfo.Password = CyberPassword;
    }
}

std::string TfrmMain::ListAddress() const {
    // A list type outside the table has no address: fail, fetch nothing.
    if (ProxyType < 0 || ProxyType > 2) throw Exception("No list address for this type");
    const TextSetting* pages[] = {&setting::AnonymousUrl, &setting::NonAnonymousUrl, &setting::SpeedRankUrl};
    return iniFile->Read(*pages[ProxyType]);
}

void TfrmMain::SetFetchTimeOut() {
    // A huge stored time-out is capped, not wrapped around; a negative one
    // stays negative, and the client refuses it before it connects.
    int64_t ms = static_cast<int64_t>(TimeOutSec) * 1000;
    Inet->TimeOut = static_cast<int32_t>(std::clamp<int64_t>(ms, INT32_MIN, INT32_MAX));
}

bool TfrmMain::FetchList() {
    SetFetchTimeOut();
    stsBar.SetPanelText(0, "Now Getting");
    ReportSuccess = true;
    try {
        Inet->Get("http://" + ListAddress());
        cmbProxyList.Clear();
        cmbProxyList.SetItems(ParseProxyList(Inet->Body, ProxyOption));
        UseFirstEntry();
        return true;
    } catch (const std::exception&) {
        // Every failure of the fetch or the page reads as a time-out.
        stsBar.SetPanelText(0, "TimeOut");
        cmbProxyList.Clear();
        return false;
    }
}

void TfrmMain::UseFirstEntry() {
    // The session ended while the page came in: the termination choice stands.
    if (ended_) return;
    cmbProxyList.SetItemIndex(0);
    // An empty list leaves the browser as it was.
    if (!cmbProxyList.Text().empty()) UseListText();
}

void TfrmMain::StartListCheck() {
    // With 0 the program makes no connection beyond the list fetch.
    if (!options_.checkListedProxies || iniFile->Read(setting::CheckEnable) == 0) return;
    std::vector<std::string> entries = cmbProxyList.Items();
    if (entries.empty()) return;
    std::string request;
    try {
        request = probe::ProbeRequest(TesterUrl(ui::MouseButton::Left));
    } catch (const Exception&) {
        return;  // a tester address that no request can name: nothing to ask the proxies
    }
    if (!ListCheck) {
        ListCheck = std::make_unique<ProxyCheck>();
        ListCheck->onResult = [this](int index) {
            cmbProxyList.RedrawItem(index);
            // A result can only add a candidate.
            if (!PopupMenu.ItemEnabled(PM_NextProxy) &&
                ListCheck->ResultOf(index).outcome == probe::Outcome::Answered)
                RefreshNextProxy();
        };
    }
    // A list from a provider on this machine or its network (the demo's, a
    // test's) may name proxies there; one from the internet may not.
    const probe::ListSource source =
        probe::IsLocalAddress(Inet->PeerAddress()) ? probe::ListSource::Local : probe::ListSource::Internet;
    ListCheck->Start(std::move(entries), std::move(request), probe::CheckBoundMs(TimeOutSec), source);
}

void TfrmMain::CancelListCheck() {
    if (!ListCheck || !ListCheck->Running()) return;
    ListCheck->Cancel();
    cmbProxyList.RedrawItem(-1);
}

ui::ItemNote TfrmMain::ListNote(int index) const {
    if (!ListCheck) return {};
    ProxyCheck::Result result = ListCheck->ResultOf(index);
    probe::Look look = probe::Describe(result.outcome, result.ms);
    return {look.text, look.dim};
}

void TfrmMain::InetSuccess(int cmd) {
    if (cmd == 0 && ReportSuccess) stsBar.SetPanelText(0, "Obtained");
}
