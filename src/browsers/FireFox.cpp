#include "browsers/FireFox.h"

#include "browsers/PrefsText.h"
#include "settings/FirefoxProfile.h"
#include "settings/IniFile.h"
#include "settings/WholeFile.h"

FireFox::FireFox(std::string settingsFile, std::string appDataFolder)
    : settingsFile_(std::move(settingsFile)), appDataFolder_(std::move(appDataFolder)) {
    FindPrefsFile();
}

void FireFox::FindPrefsFile() {
    IniFile settings(settingsFile_.empty() ? SettingsFilePath() : settingsFile_);
    PrefsPath_ = settings.Read(setting::FirefoxIniFile);
    if (PrefsPath_.empty()) PrefsPath_ = FindProfilePrefsFile(appDataFolder_);
}

int FireFox::GetEnabled() {
    std::string text;
    if (ReadWholeFile(PrefsPath_, text) != FileRead::Ok) return 0;
    return prefs::ReadEnabled(text);
}

void FireFox::SetEnabled(int state) {
    if (GetEnabled() == state) return;
    RewriteProxyType(state);
}

void FireFox::RewriteProxyType(int state) {
    std::string text;
    // A prefs.js that exists but cannot be read must not be replaced by one
    // holding only our line; a missing one is created, as Firefox would.
    if (ReadWholeFile(PrefsPath_, text) == FileRead::Failed) return;
    std::string changed = prefs::RewriteProxyType(text, state);
    if (changed != text) ReplaceWholeFile(PrefsPath_, changed);
}

void FireFox::GetServer(std::string& buffer) {
    std::string text;
    buffer.clear();
    if (ReadWholeFile(PrefsPath_, text) != FileRead::Ok) return;
    buffer = prefs::ReadServer(text);
}

void FireFox::SetServer(const std::string& address) {
    std::string text;
    if (ReadWholeFile(PrefsPath_, text) == FileRead::Failed) return;
    if (auto changed = prefs::RewriteServer(text, address); changed && *changed != text) {
        ReplaceWholeFile(PrefsPath_, *changed);
    }
}

std::string FireFox::UserJsPath() const {
    const size_t slash = PrefsPath_.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : PrefsPath_.substr(0, slash) + "\\user.js";
}

bool FireFox::FollowWindows(bool on) {
    const std::string path = UserJsPath();
    if (path.empty()) return false;
    std::string text;
    const FileRead read = ReadWholeFile(path, text);
    if (read == FileRead::Failed) return false;
    if (read == FileRead::Missing && !on) return true;
    const std::string changed = on ? prefs::WithSystemProxyLine(text) : prefs::WithoutSystemProxyLine(text);
    if (changed == text) return true;
    // A file that held nothing but our line goes with it.
    if (!on && prefs::IsBlankText(changed)) return DeleteWholeFile(path);
    return ReplaceWholeFile(path, changed);
}

bool FireFox::InUse() {
    const size_t slash = PrefsPath_.find_last_of("\\/");
    if (slash == std::string::npos) return false;
    // Kept short: a Firefox that is starting cannot take its lock while the
    // check holds the file open.
    return FileHeldWithoutSharing(PrefsPath_.substr(0, slash) + "\\parent.lock");
}
