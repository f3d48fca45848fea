#include "settings/FirefoxProfile.h"

#include <windows.h>
#include <shlobj.h>

#include "settings/Defaults.h"
#include "settings/IniFile.h"
#include "ui/Text.h"

std::string AppDataFolder() {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path))) {
        return {};
    }
    return ui::Narrow(path);
}

std::string FirefoxFolder(const std::string& appDataFolder) { return appDataFolder + "\\Mozilla\\Firefox"; }

std::string ComposeProfilePrefsPath(const std::string& firefoxFolder, const std::string& profilePath) {
    size_t slash = profilePath.find('/');
    if (slash == std::string::npos) return {};
    return firefoxFolder + "\\" + profilePath.substr(0, slash) + "\\" + profilePath.substr(slash + 1) +
           "\\prefs.js";
}

std::string FindProfilePrefsFile(const std::string& appDataFolder) {
    std::string appData = appDataFolder.empty() ? AppDataFolder() : appDataFolder;
    if (appData.empty()) return {};
    std::string folder = FirefoxFolder(appData);
    IniFile profiles(folder + "\\Profiles.ini");
    return ComposeProfilePrefsPath(folder, profiles.ReadString("Profile0", "Path", defaults::Missing));
}
