#pragma once
// The one place through which the main window reads and changes the selected
// browser's proxy settings.
#include <functional>
#include <memory>
#include <string>

#include "browsers/BrowserAdapter.h"
#include "browsers/FireFox.h"
#include "browsers/IE.h"
#include "browsers/Opera.h"

// 0 Internet Explorer, 1 Google Chrome, 2 Mozilla Firefox, 3 Opera, 4 Microsoft Edge.
using BrowserKind = int;

class Proxy {
public:
    explicit Proxy(const BrowserStores& stores = {});

    // Stores the kind, runs PrepareBrowser and returns the window caption.
    std::string SelectBrowser(BrowserKind kind);
    // Reads whether Firefox follows the Windows proxy settings, and locates
    // the selected browser's preference file again.
    void PrepareBrowser();
    int GetEnabled();
    // The two writes return false, having written nothing, while the selected
    // browser is running and would overwrite the change when it ends.
    bool SetEnabled(int state);
    void GetServer(std::string& buffer);
    bool SetServer(const std::string& address);
    // Whether the two writes would be refused right now (a running Firefox).
    bool WritesRefused();

    BrowserKind Current() const { return kind_; }
    static std::string Caption(BrowserKind kind);

    // [FIREFOX] FOLLOW_WINDOWS as PrepareBrowser last read it. While it is on,
    // Firefox reads its proxy from the Windows settings (user.js sets it so),
    // and every switch for Firefox goes there, as for Internet Explorer;
    // prefs.js is left alone, and a running Firefox refuses nothing.
    bool FirefoxFollowsWindows() const { return firefoxFollows_; }
    // Brings the user.js of the Firefox profile in use in line with that
    // setting, whichever browser is selected: its line while Firefox follows,
    // none otherwise.
    void ApplyFirefoxMode();
    // Called when user.js cannot take the line that Firefox needs to follow
    // (from ApplyFirefoxMode, or a switch for Firefox that finds it missing);
    // the switch itself still happens.
    std::function<void()> onFirefoxCannotFollow;

private:
    BrowserAdapter* Adapter();
    // After a switch for Firefox while it follows: user.js must still hold
    // its line, which the user may have taken out.
    void KeepFirefoxFollowing();

    std::unique_ptr<IE> ie_;
    std::unique_ptr<Opera> opera_;
    std::unique_ptr<FireFox> firefox_;
    BrowserKind kind_ = 0;
    std::string settingsFile_;
    bool firefoxFollows_ = false;
};
