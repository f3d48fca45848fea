#pragma once
// The per-user path templates hold "%USER%" where the Windows login name goes.
#include <string>

namespace userpath {

inline constexpr char kPlaceholder[] = "%USER%";

// path with its first placeholder replaced by the whole login name; a path
// without one comes back unchanged.
std::string Expand(const std::string& path, const std::string& loginName);

}  // namespace userpath
