#pragma once
// Extraction of proxy addresses from a list page of the provider. Pure byte
// searches with no knowledge of HTML beyond a few fixed texts, so the code
// carries no platform dependency and can be built and fuzzed anywhere.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "base/Error.h"

// Raised when a list page cannot be read: it lacks the start word "hour", or
// an entry lacks its terminating "<".
class EListPageError : public Exception {
public:
    using Exception::Exception;
};

// The text that introduces an entry, indexed by the list option. On the
// provider's pages each address follows an anchor whose quoted class value
// ends in A, B or C according to its kind; option 0 matches the common tail
// of all three and so takes every kind.
inline constexpr std::array<std::string_view, 4> ListMarkers = {"\">", "A\">", "B\">", "C\">"};

// A page gives at most this many entries; the rest of it is ignored. A
// hostile page of 32 MiB of markers would otherwise fill the list for minutes.
inline constexpr size_t kMaxListEntries = 10000;
// An entry longer than this (in bytes) is skipped: no proxy address is.
inline constexpr size_t kMaxEntryLength = 255;

// The entries of the page for the option, in page order: the text between
// each marker and the next "<", unchanged (empty entries and duplicates
// included), up to kMaxListEntries of them, those longer than kMaxEntryLength
// left out. Only the region from the first "hour" to the first "!--" after
// it is searched, and the body counts only up to its first NUL byte. A page
// without any entry for the option gives an empty list.
// Throws EListPageError when "hour" or an entry's "<" is missing, and when
// the option is outside 0..3 (such an option has no marker).
std::vector<std::string> ParseProxyList(std::string_view body, int option);
