#pragma once
// The command line that starts a browser on an address.
#include <optional>
#include <string>
#include <string_view>

// Longest command line (in characters) the launcher passes on.
inline constexpr size_t kMaxCommandLine = 199;

// The program path in quotes, one blank, the address: "path" address. Quoted,
// a path with blanks names that one program; unquoted, Windows would try its
// blank-separated prefixes in turn and start whichever exists first.
// Nothing when the path is empty or holds a quote or a control character,
// when the address holds a blank, a quote or a control character (it would
// reach the browser as several arguments, or as switches), or when the line
// would exceed kMaxCommandLine characters: a line is refused, never cut into
// a different program or address.
std::optional<std::string> ComposeCommandLine(std::string_view programPath, std::string_view address);
