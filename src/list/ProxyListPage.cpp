#include "list/ProxyListPage.h"

namespace {

constexpr std::string_view kStartWord = "hour";
// The opening of an HTML comment without its "<": the page's footer comment
// ends the region of entries.
constexpr std::string_view kEndText = "!--";
constexpr char kTerminator = '<';

}  // namespace

std::vector<std::string> ParseProxyList(std::string_view body, int option) {
    // Only a stored setting edited by hand can carry another option; it must
    // end as an ordinary failure rather than an out-of-range table read.
    if (option < 0 || option >= static_cast<int>(ListMarkers.size()))
        throw EListPageError("list option " + std::to_string(option) + " has no marker");
    const std::string_view marker = ListMarkers[static_cast<size_t>(option)];

    body = body.substr(0, body.find('\0'));

    const size_t start = body.find(kStartWord);
    if (start == std::string_view::npos) throw EListPageError("list page without \"hour\"");
    // A comment before "hour" does not count; everything after the first one
    // that follows it is ignored.
    std::string_view region = body.substr(0, body.find(kEndText, start));

    std::vector<std::string> entries;
    size_t pos = start;
    while (entries.size() < kMaxListEntries) {
        const size_t found = region.find(marker, pos);
        if (found == std::string_view::npos) break;
        const size_t entryStart = found + marker.size();
        const size_t end = region.find(kTerminator, entryStart);
        if (end == std::string_view::npos) throw EListPageError("list entry without a terminating \"<\"");
        if (end - entryStart <= kMaxEntryLength)
            entries.emplace_back(region.substr(entryStart, end - entryStart));
        pos = end + 1;
    }
    return entries;
}
