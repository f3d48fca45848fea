#pragma once
// The main window: the hub that owns the dispatcher, the launcher and the
// credential lookup, and shows the selected browser's proxy state.
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "browsers/Proxy.h"
#include "settings/IniFile.h"
#include "settings/ProgramSearch.h"
#include "tray/TrayIcon.h"
#include "ui/Form.h"

class Browse;
class IDChecker;
class ProxyCheck;
class ProxyWatch;
class TfrmSetting;
class TfrmAbout;
namespace net {
class TNMHTTP;
}

// Where the main window finds its settings and the browsers' stores. Empty
// fields mean the real places; tests point them at scratch ones.
struct MainWindowOptions {
    std::string settingsFolder;  // holds Quillbarrow.ini; empty = the program's folder
    std::string ieKey;           // under HKEY_CURRENT_USER; empty = the Internet Settings key
    std::string appDataFolder;   // empty = the roaming application data folder
    // Where the browsers' programs are searched for; empty = this system's places.
    std::optional<ProgramSearch::Places> programPlaces;
    // Tests whose lists name addresses outside this machine turn the check
    // of the listed proxies off, whatever the settings file says.
    bool checkListedProxies = true;
    // The watch's interval in milliseconds, in place of the seconds of
    // [CHECK] WATCH while that is on, so that tests wait on no clock. 0: as
    // WATCH says.
    uint32_t watchIntervalMs = 0;
};

class TfrmMain : public ui::Form {
public:
    explicit TfrmMain(const MainWindowOptions& options = {});
    ~TfrmMain() override;

    // Controls, in tab order.
    ui::GroupBox GroupProxyType;
    ui::RadioButton RadioProxyType0, RadioProxyType1, RadioProxyType2;
    ui::GroupBox GroupOption;
    ui::RadioButton RadioOption0, RadioOption1, RadioOption2, RadioOption3;
    ui::GroupBox GrpBrowser;
    ui::ComboBox cmbBrowser;
    ui::Button cmdSetting;
    ui::GroupBox GrpProxy;
    ui::ComboBox cmbProxyList;
    ui::Button cmdGetList, cmdSetDefault, cmdUseDefault, cmdCheck, cmdUseProxy;
    ui::Picture Image;
    ui::StatusBar stsBar;

    // Components without a window.
    ui::PopupMenu PopupMenu;
    int PM_Open, PM_GetProxy, PM_UseProxy, PM_Direct, PM_NextProxy, PM_Test, PM_Quit;
    ui::ImageList IconList{32};
    ui::Timer Timer{*this};
    std::unique_ptr<TTrayIcon> Tray;
    std::unique_ptr<net::TNMHTTP> Inet;

    // Owned objects, made in this order and destroyed in the reverse one.
    std::unique_ptr<IniFile> iniFile;
    std::unique_ptr<Proxy> Dispatcher;
    std::unique_ptr<Browse> Launcher;
    std::unique_ptr<IDChecker> Checker;
    std::unique_ptr<TfrmSetting> SettingDialog;
    std::unique_ptr<TfrmAbout> AboutDialog;
    // Checks the listed proxies after Get Proxy; made for the first check,
    // and the first to go.
    std::unique_ptr<ProxyCheck> ListCheck;
    // Asks the proxy in use at the [CHECK] WATCH interval; made when first
    // needed.
    std::unique_ptr<ProxyWatch> InUseWatch;

    int32_t TimeOutSec = 0;
    BrowserKind BrowserIndex = 0;
    int32_t UsingProxy = 0;
    std::string ProxyText;
    std::string CyberUserId;
    std::string CyberPassword;
    std::string IdPassUrl;
    int32_t ProxyType = 0;
    int32_t ProxyOption = 1;
    bool ReportSuccess = false;

    IniFile& Settings() { return *iniFile; }

    void LoadSettings();
    void LoadPosition();
    void SavePosition();
    // keepListText: the list's text stays as the user left it (a typed
    // address that the running browser kept from being written).
    void RefreshState(bool keepListText = false);
    void ApplyTermination();

    // Window commands.
    void cmdUseProxyClick();
    void cmbProxyListChange();
    void cmdSetDefaultClick();
    void cmdUseDefaultClick();
    void cmdCheckMouseDown(ui::MouseButton button);
    void cmbBrowserClick();
    void cmdGetListClick();
    void cmdSettingClick();
    void ImageClick();
    // Next Proxy (the tray menu item and Ctrl+N): the entry after the address
    // in use among those whose last check answered, fastest first, as if the
    // user picked it; then Use Proxy when the proxy is off. A beep when there
    // is none.
    void PM_NextProxyClick();
    void PM_TestClick();
    void PM_OpenClick();
    void PM_QuitClick();
    void TrayMinimize();
    void TrayRestore();
    void TimerTimer();
    void InetSuccess(int cmd);

    // Has Firefox follow the Windows proxy settings from now on (on), or read
    // prefs.js again: saves [FIREFOX] FOLLOW_WINDOWS, writes or removes the
    // line in Firefox's user.js, serves Firefox from the store that now holds
    // its proxy, and shows that store's state.
    void SetFirefoxFollowsWindows(bool on);

    // Whether a list fetch is waiting right now.
    bool Fetching() const { return fetching_; }
    // Whether an edit of the list's text waits to be written.
    bool EditWaiting() const { return editWaiting_; }

protected:
    void FormShow() override;
    bool FormCloseQuery() override;
    bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    // False, with Internet Explorer picked instead, when the browser's program is nowhere.
    bool CheckBrowserPath(BrowserKind kind);
    void CreateSettingDialog();
    // The text of cmbProxyList becomes the browser's proxy address; an edit
    // that waited is settled by it. keepListText: as for RefreshState, when
    // the browser refuses the write.
    void UseListText(bool keepListText = false);
    // Writes an edit of the list's text that waits, if any, and takes up a
    // browser stepped to in the closed browser list: before every command,
    // and when the user ends it (Enter, the focus leaving the box).
    void ApplyWaitingEdit();
    // A browser stepped to waits: each one passed would get its termination choice.
    void ApplyBrowserStep();
    // A switch that a running Firefox kept out (nothing is written while it
    // runs and reads prefs.js), held for the question that offers to have
    // Firefox follow the Windows settings: Yes makes the switch there.
    struct RefusedSwitch {
        std::optional<int> enabled = {};
        std::optional<std::string> server = {};
    };
    // The displays show what the browser's settings hold; a write that a
    // running browser kept out (change) is explained.
    void RefreshAfterWrite(bool written, const RefusedSwitch& change, bool keepListText = false);
    // The main window's one way of telling the user something: shown once the
    // command at hand has finished, in a box owned by the window, or as a
    // balloon from the tray icon while the window is hidden or minimised.
    void TellUser(const std::string& message);
    struct Notice {
        std::string text;
        // Asks whether Firefox should follow the Windows settings, in a box;
        // a balloon only tells, and the question waits for the window.
        bool offersFollow = false;
    };
    void Tell(Notice notice);
    void ShowNotices();
    void AskFirefoxToFollow();
    // The first tester page, or the second for the right mouse button.
    std::string TesterUrl(ui::MouseButton button) const;

    // The steps of Get Proxy. The credentials go to the HTTP client ("0" for
    // none), looked up when a credentials page is set.
    void SetCredentials();
    // The stored address (without a scheme) of the chosen list type's page.
    std::string ListAddress() const;
    void SetFetchTimeOut();
    // Fetches and parses the page into the list; false when either failed.
    bool FetchList();
    // The first entry, if any, becomes the browser's proxy address.
    void UseFirstEntry();
    void SetFetching(bool fetching);
    // Runs the action now; while a list fetch waits inside this thread, aborts
    // the fetch and runs it once the Get Proxy command has unwound.
    void AfterFetch(std::function<void()> action);
    // Ends the program (the termination choice, the position, the window),
    // after the fetch, if one waits.
    void Quit();
    // Starts checking the entries of the list, unless [CHECK] ENABLE is 0.
    void StartListCheck();
    void CancelListCheck();
    ui::ItemNote ListNote(int index) const;
    // The list index Next Proxy switches to, from the current check's results.
    std::optional<size_t> NextCandidate() const;
    // Greys Next Proxy out while it has nothing to switch to.
    void RefreshNextProxy();
    // Picks the list's entry as the user would, then turns the proxy on.
    void UseEntry(size_t index);
    // The watch's interval from the settings; 0 when it is off.
    uint32_t WatchIntervalMs() const;
    // Watches the address in use while a proxy is in use (and no Get Proxy
    // is replacing the list), restarting it on another address.
    void UpdateWatch();
    void StopWatch();
    // The address in use failed twice in a row: a balloon, and with
    // [CHECK] AUTONEXT=1 the switch of Next Proxy.
    void WatchStopped(const std::string& address);
    // Runs the termination choice and stores the position, once per program run.
    void Terminate();
    // After [FIREFOX] FOLLOW_WINDOWS has changed and the dispatcher has read it.
    void FirefoxModeChanged();
    // Firefox's user.js refused the line it needs to follow: said once per run.
    void FirefoxCannotFollow();
    // The Windows session ends: the close path's work at once, whatever waits.
    void EndSession();

    MainWindowOptions options_;
    ProgramSearch programSearch_;
    bool shown_ = false;
    bool ended_ = false;
    bool fetching_ = false;
    bool toldCannotFollow_ = false;
    std::function<void()> afterFetch_;
    bool editWaiting_ = false;
    bool browserWaiting_ = false;
    // Settles an edit of either list once the user pauses.
    base::Timer editTimer_;
    std::deque<Notice> notices_;
    bool noticeOpen_ = false;
    RefusedSwitch refused_;
    // A balloon told of a refused switch while the window was hidden.
    bool askOnRestore_ = false;
};
