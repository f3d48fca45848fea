#pragma once
// Firefox: the prefs.js of the first profile, edited as text.
#include <string>

#include "browsers/BrowserAdapter.h"

class FireFox : public BrowserAdapter {
public:
    // settingsFile: Quillbarrow.ini (empty = beside the program);
    // appDataFolder: the roaming application data folder (empty = the real one).
    FireFox(std::string settingsFile = {}, std::string appDataFolder = {});

    void FindPrefsFile() override;
    int GetEnabled() override;
    void SetEnabled(int state) override;
    void GetServer(std::string& buffer) override;
    void SetServer(const std::string& address) override;

    const std::string& PrefsPath() const { return PrefsPath_; }

private:
    std::string settingsFile_;
    std::string appDataFolder_;
    std::string PrefsPath_;
};
