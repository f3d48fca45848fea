#include "browsers/FireFox.h"

// Placeholder until the prefs.js adapter lands.
FireFox::FireFox(std::string settingsFile, std::string appDataFolder)
    : settingsFile_(std::move(settingsFile)), appDataFolder_(std::move(appDataFolder)) {
    FindPrefsFile();
}
void FireFox::FindPrefsFile() {}
int FireFox::GetEnabled() { return 0; }
void FireFox::SetEnabled(int) {}
void FireFox::GetServer(std::string& buffer) { buffer.clear(); }
void FireFox::SetServer(const std::string&) {}
