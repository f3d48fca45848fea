#include "settings/FirefoxProfile.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdint>

#include "settings/ProfilesIni.h"
#include "settings/WholeFile.h"
#include "base/Text.h"

namespace {

// Profiles.ini lists a handful of profiles; a file far larger is not one.
constexpr long long kMaxProfilesIni = 1024 * 1024;

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesW(base::Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// When prefs.js was last written; 0 when it does not exist.
uint64_t PrefsWritten(const std::string& folder) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(base::Widen(folder + "\\prefs.js").c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime;
}

std::string PrefsIn(const std::string& folder) {
    if (folder.empty()) return {};
    std::string prefs = folder + "\\prefs.js";
    // Our file functions take no "\\?\" paths, so a longer one names nothing.
    return base::Widen(prefs).size() < MAX_PATH ? prefs : std::string();
}

}  // namespace

std::string AppDataFolder() {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path))) {
        return {};
    }
    return base::Narrow(path);
}

std::string FirefoxFolder(const std::string& appDataFolder) { return appDataFolder + "\\Mozilla\\Firefox"; }

std::string FindProfilePrefsFile(const std::string& appDataFolder) {
    std::string appData = appDataFolder.empty() ? AppDataFolder() : appDataFolder;
    if (appData.empty()) return {};
    const std::string firefox = FirefoxFolder(appData);
    std::string bytes;
    if (ReadWholeFile(firefox + "\\Profiles.ini", bytes, kMaxProfilesIni) != FileRead::Ok) return {};
    const profiles::ProfilesIni ini = profiles::Parse(bytes);

    std::string newest;
    uint64_t newestTime = 0;
    for (const profiles::Place& place : ini.installDefaults) {
        std::string folder = profiles::Folder(firefox, place);
        if (PrefsIn(folder).empty() || !IsFolder(folder)) continue;
        uint64_t written = PrefsWritten(folder);
        if (newest.empty() || written > newestTime) {
            newest = folder;
            newestTime = written;
        }
    }
    if (!newest.empty()) return PrefsIn(newest);

    for (const profiles::Place& place : ini.markedDefaults) {
        std::string folder = profiles::Folder(firefox, place);
        if (!PrefsIn(folder).empty() && IsFolder(folder)) return PrefsIn(folder);
    }
    return ini.profile0 ? PrefsIn(profiles::Folder(firefox, *ini.profile0)) : std::string();
}
