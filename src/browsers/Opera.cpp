#include "browsers/Opera.h"

#include "settings/Defaults.h"
#include "settings/IniFile.h"
#include "settings/ProgramCheck.h"

namespace {
constexpr char kSection[] = "Proxy";
constexpr char kUseHttp[] = "Use HTTP";
constexpr char kHttpServer[] = "HTTP Server";
}  // namespace

Opera::Opera(std::string settingsFile) : settingsFile_(std::move(settingsFile)) { FindPrefsFile(); }

void Opera::FindPrefsFile() {
    // Taken exactly as stored: a "%USER%" left in the path names no file, and
    // only the settings dialog fills in the login name.
    IniFile settings(settingsFile_.empty() ? SettingsFilePath() : settingsFile_);
    PrefsPath_ = settings.Read(setting::OperaIniFile);
    // Looked at here, when Opera is selected or the settings change, so the
    // store does not change under the user between two commands.
    hasPrefsFile_ = IsFile(PrefsPath_);
}

int Opera::GetEnabled() { return IniFile(PrefsPath_, IniOwner::Foreign).ReadInteger(kSection, kUseHttp, 0); }

// Written even when the file already holds the state.
void Opera::SetEnabled(int state) {
    IniFile(PrefsPath_, IniOwner::Foreign).WriteInteger(kSection, kUseHttp, state);
}

void Opera::GetServer(std::string& buffer) {
    buffer = IniFile(PrefsPath_, IniOwner::Foreign).ReadString(kSection, kHttpServer, defaults::Missing);
}

void Opera::SetServer(const std::string& address) {
    // The profile functions write a value as it stands, so a CR or LF in an
    // address taken from a list page would end the line and add keys or
    // sections of its own to Opera's file. Such an address is not written.
    for (unsigned char c : address) {
        if (c < 0x20 || c == 0x7F) return;
    }
    IniFile(PrefsPath_, IniOwner::Foreign).WriteString(kSection, kHttpServer, address);
}
