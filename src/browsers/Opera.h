#pragma once
// Opera: section [Proxy] of operaprefs.ini, through the INI access layer.
#include <string>

#include "browsers/BrowserAdapter.h"

class Opera : public BrowserAdapter {
public:
    // settingsFile: Quillbarrow.ini (empty = beside the program).
    explicit Opera(std::string settingsFile = {});

    void FindPrefsFile() override;
    int GetEnabled() override;
    // SetEnabled and SetServer throw EIniFileException when the file system
    // refuses the write (for example the default path's folder is missing).
    void SetEnabled(int state) override;
    // "0" when the file or the key is missing.
    void GetServer(std::string& buffer) override;
    void SetServer(const std::string& address) override;

    const std::string& PrefsPath() const { return PrefsPath_; }
    // Whether the stored preference file was there when it was last located.
    bool HasPrefsFile() const { return hasPrefsFile_; }

private:
    std::string settingsFile_;
    std::string PrefsPath_;
    bool hasPrefsFile_ = false;
};
