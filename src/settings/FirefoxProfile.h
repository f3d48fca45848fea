#pragma once
// Where the Firefox profile in use keeps prefs.js. Shared by the Firefox
// adapter and the settings dialog's Auto button, so both find the same file.
#include <string>

// The current user's roaming application data folder (CSIDL_APPDATA), without
// a trailing separator; empty when the shell cannot name it.
std::string AppDataFolder();

// appDataFolder + "\Mozilla\Firefox".
std::string FirefoxFolder(const std::string& appDataFolder);

// prefs.js of the profile that Firefox uses, chosen from Profiles.ini under
// the Firefox folder of appDataFolder (the real one when empty):
// 1. the Default= of an [Install...] section whose folder exists; of several,
//    the one whose prefs.js was written last (the most recently used Firefox);
// 2. else the first [ProfileN] with Default=1 whose folder exists;
// 3. else [Profile0], whether or not its folder exists.
// Empty when Profiles.ini is missing or names no usable folder. Does not check
// that prefs.js exists: a new profile has none until Firefox first exits.
std::string FindProfilePrefsFile(const std::string& appDataFolder = {});
