#include "browsers/Opera.h"

// Placeholder until the operaprefs.ini adapter lands.
Opera::Opera(std::string settingsFile) : settingsFile_(std::move(settingsFile)) { FindPrefsFile(); }
void Opera::FindPrefsFile() {}
int Opera::GetEnabled() { return 0; }
void Opera::SetEnabled(int) {}
void Opera::GetServer(std::string& buffer) { buffer.clear(); }
void Opera::SetServer(const std::string&) {}
