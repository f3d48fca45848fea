#pragma once
// Firefox's prefs.js as text: one user_pref(...) call per line, as Firefox
// writes it. These functions see the whole file; the adapter only reads and
// replaces it. Lines are taken whole whatever their length, and each keeps its
// own line end ("\n" or "\r\n"), so a change touches only the lines it means to.
#include <optional>
#include <string>
#include <string_view>

namespace prefs {

// The line Firefox writes for manual proxy configuration, without its line end.
inline constexpr std::string_view kManualProxyLine = "user_pref(\"network.proxy.type\", 1);";

// Lines as the adapter classifies them (line end excluded), by the name of
// the preference they set: the line's first quoted string, never a text found
// elsewhere in it (a host value may hold anything a file was given).
bool IsProxyTypeLine(std::string_view line);  // network.proxy.type
bool IsHostLine(std::string_view line);       // network.proxy.http
bool IsPortLine(std::string_view line);       // network.proxy.http_port
// A proxy-type line whose character just before its first ")" is "1".
bool IsManualProxyLine(std::string_view line);

// The host between the quotes after the first ",", or nothing when the line
// lacks the "," or ")" this relies on.
std::optional<std::string> HostValue(std::string_view line);
// The text after the first ", " up to the first ")", or nothing if malformed.
std::optional<std::string> PortValue(std::string_view line);

std::string HostLine(std::string_view host);
std::string PortLine(std::string_view port);

// 1 when any proxy-type line says 1 (later lines can still give 1 after a
// line with another value), else 0.
int ReadEnabled(std::string_view text);

// host:port from the host line and the port line that follows it; a port line
// ends the search. "host:" without a port line, the port alone when the port
// line comes first, empty when there is neither.
std::string ReadServer(std::string_view text);

// State 1 keeps every line and appends kManualProxyLine; any other state
// drops every proxy-type line, leaving Firefox's default (no proxy).
std::string RewriteProxyType(std::string_view text, int state);

// Puts host and port of "host:port" into the host and port lines where they
// stand, appending the missing ones at the end, host line first. Nothing (the
// file is to be left alone) when the address has no ":", when the host holds
// anything but the letters, digits, dots, hyphens and underscores of a host
// name or a dotted address, or when the port is not 1 to 5 digits.
std::optional<std::string> RewriteServer(std::string_view text, std::string_view address);

// user.js: Firefox reads it at every start, after prefs.js, and its values
// win. People write it, not Firefox, so it may hold comments: a line counts as
// setting the proxy type only when it starts, blanks aside, with a user_pref
// call naming network.proxy.type and stands outside any /* */ comment. Lines
// are kept byte for byte as in prefs.js.

// The line that has Firefox take its proxy from the Windows settings
// ("Use system proxy settings"), without its line end.
inline constexpr std::string_view kSystemProxyLine = "user_pref(\"network.proxy.type\", 5);";

// kSystemProxyLine as the file's one proxy-type line: it replaces the first
// such line where it stands, later ones are dropped, and it is appended when
// there is none (after a "*/" line when the file ends inside a comment). Text
// that already reads so comes back unchanged.
std::string WithSystemProxyLine(std::string_view text);

// Every kSystemProxyLine outside a comment (blanks around it aside) dropped.
std::string WithoutSystemProxyLine(std::string_view text);

// Nothing but blanks and line ends: a user.js that says nothing.
bool IsBlankText(std::string_view text);

}  // namespace prefs
