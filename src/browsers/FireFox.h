#pragma once
// Firefox: the prefs.js of the profile Firefox uses, edited as text.
#include <string>

#include "browsers/BrowserAdapter.h"

class FireFox : public BrowserAdapter {
public:
    // settingsFile: Quillbarrow.ini (empty = beside the program);
    // appDataFolder: the roaming application data folder (empty = the real one).
    FireFox(std::string settingsFile = {}, std::string appDataFolder = {});

    // FIREFOX/INIFILE when set, else the profile that Profiles.ini gives as
    // the one in use (FindProfilePrefsFile); empty when neither names a file,
    // and then every call reads as direct and writes nothing.
    void FindPrefsFile() override;
    int GetEnabled() override;
    // Writes nothing when the file already shows the requested state.
    void SetEnabled(int state) override;
    void GetServer(std::string& buffer) override;
    void SetServer(const std::string& address) override;
    // A running Firefox keeps its preferences in memory and writes them over
    // prefs.js when it exits. It holds parent.lock in the profile folder
    // without sharing while it runs, and leaves the file behind when it ends.
    bool InUse() override;

    const std::string& PrefsPath() const { return PrefsPath_; }

    // user.js beside prefs.js; empty when no profile is found.
    std::string UserJsPath() const;
    // on: puts the line that has Firefox take its proxy from the Windows
    // settings into user.js, unless it is there already; off: takes it out,
    // deleting a file left holding only blanks. Firefox never writes, locks or
    // deletes user.js, so it is changed whether Firefox runs or not, through
    // the same scratch-file-and-replace as prefs.js, and never in a missing
    // folder. False when user.js could not be brought in line (no profile, no
    // folder, a read-only or unreadable file); it is then left as it was.
    bool FollowWindows(bool on);

private:
    void RewriteProxyType(int state);

    std::string settingsFile_;
    std::string appDataFolder_;
    std::string PrefsPath_;
};
