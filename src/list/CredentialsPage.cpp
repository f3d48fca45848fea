#include "list/CredentialsPage.h"

namespace {

// U+FF1A FULLWIDTH COLON in Shift-JIS.
constexpr std::string_view kColon = "\x81\x46";
constexpr char kTerminator = '<';
// 同じ ("same") in Shift-JIS.
constexpr std::string_view kSame = "\x93\xAF\x82\xB6";
constexpr char kMissing[] = "0";

bool IsShiftJisLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// At most kMaxPageCredential bytes, walking the characters from the start so
// that a trail byte that happens to lie in the lead-byte range is not taken
// for a lead byte.
std::string CutValue(std::string_view value) {
    if (value.size() <= kMaxPageCredential) return std::string(value);
    size_t at = 0;
    while (at < value.size()) {
        const size_t width = IsShiftJisLeadByte(static_cast<unsigned char>(value[at])) ? 2 : 1;
        if (at + width > kMaxPageCredential) break;
        at += width;
    }
    return std::string(value.substr(0, at));
}

// The value after the first colon at or after `from`, and the position of its
// terminating "<"; nothing when either is missing.
std::optional<std::string_view> ValueAfterColon(std::string_view page, size_t from, size_t& terminator) {
    const size_t colon = page.find(kColon, from);
    if (colon == std::string_view::npos) return std::nullopt;
    const size_t start = colon + kColon.size();
    terminator = page.find(kTerminator, start);
    if (terminator == std::string_view::npos) return std::nullopt;
    return page.substr(start, terminator - start);
}

}  // namespace

std::optional<Credentials> ParseCredentialsPage(std::string_view body) {
    body = body.substr(0, body.find('\0'));

    size_t terminator = 0;
    const auto userId = ValueAfterColon(body, 0, terminator);
    if (!userId) return std::nullopt;
    const auto password = ValueAfterColon(body, terminator + 1, terminator);
    if (!password) return std::nullopt;

    Credentials found{CutValue(*userId), CutValue(*password)};
    if (found.password.find(kSame) != std::string::npos) found.password = found.userId;
    return found;
}

Credentials ChooseCredentials(const std::optional<Credentials>& page, std::string_view storedUserId,
                              std::string_view storedPassword) {
    if (!page) return {kMissing, kMissing};
    if (storedUserId.empty()) return *page;
    return {std::string(storedUserId), std::string(storedPassword)};
}
