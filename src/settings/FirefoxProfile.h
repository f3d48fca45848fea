#pragma once
// Where the first Firefox profile keeps prefs.js. Shared by the Firefox
// adapter and the settings dialog's Auto button, so both find the same file.
#include <string>

// The current user's roaming application data folder (CSIDL_APPDATA), without
// a trailing separator; empty when the shell cannot name it.
std::string AppDataFolder();

// appDataFolder + "\Mozilla\Firefox".
std::string FirefoxFolder(const std::string& appDataFolder);

// firefoxFolder + "\" + profilePath with its first "/" turned into "\" +
// "\prefs.js". Profiles.ini writes the profile folder relative to the Firefox
// folder; a value without "/" (including the "0" of a missing Profiles.ini)
// is not such a path and gives empty text.
std::string ComposeProfilePrefsPath(const std::string& firefoxFolder, const std::string& profilePath);

// prefs.js of [Profile0] in Profiles.ini under the Firefox folder of
// appDataFolder (the real one when empty). Empty when Profiles.ini is missing
// or its Path is not usable. Does not check that prefs.js exists.
std::string FindProfilePrefsFile(const std::string& appDataFolder = {});
