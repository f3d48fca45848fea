#include "browsers/IE.h"

// Placeholder until the registry adapter lands: reads as a direct connection
// and stores nothing.
IE::IE(std::string key) : key_(std::move(key)) {}
int IE::GetEnabled() { return 0; }
void IE::SetEnabled(int) {}
void IE::GetServer(std::string& buffer) { buffer.clear(); }
void IE::SetServer(const std::string&) {}
