#pragma once
// Opera: section [Proxy] of operaprefs.ini.
#include <string>

#include "browsers/BrowserAdapter.h"

class Opera : public BrowserAdapter {
public:
    explicit Opera(std::string settingsFile = {});

    void FindPrefsFile() override;
    int GetEnabled() override;
    void SetEnabled(int state) override;
    void GetServer(std::string& buffer) override;
    void SetServer(const std::string& address) override;

    const std::string& PrefsPath() const { return PrefsPath_; }

private:
    std::string settingsFile_;
    std::string PrefsPath_;
};
