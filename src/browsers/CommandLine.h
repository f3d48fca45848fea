#pragma once
// The command line that starts a browser on an address.
#include <optional>
#include <string>
#include <string_view>

// Longest command line (in characters) the launcher passes on.
inline constexpr size_t kMaxCommandLine = 199;

// programPath + " " + address, both unchanged: the path is not quoted, so
// Windows resolves a path with blanks by trying its blank-separated prefixes.
// Nothing when the result would exceed kMaxCommandLine characters or the path
// is empty; a line is refused, never cut into a different program or address.
std::optional<std::string> ComposeCommandLine(std::string_view programPath, std::string_view address);
