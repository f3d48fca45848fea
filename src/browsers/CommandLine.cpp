#include "browsers/CommandLine.h"

namespace {
// Characters, not bytes, of UTF-8 text: every byte but a continuation byte
// starts one.
size_t CharacterCount(std::string_view utf8) {
    size_t n = 0;
    for (unsigned char c : utf8) {
        if ((c & 0xC0) != 0x80) ++n;
    }
    return n;
}

// A quote or a control character would end the quoted path early or break the
// line; in the unquoted address a blank would also start another argument.
bool SplitsArguments(std::string_view text, bool blank) {
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F || c == '"' || (blank && c == ' ')) return true;
    }
    return false;
}
}  // namespace

std::optional<std::string> ComposeCommandLine(std::string_view programPath, std::string_view address) {
    if (programPath.empty() || SplitsArguments(programPath, false) || SplitsArguments(address, true))
        return std::nullopt;
    std::string line = "\"" + std::string(programPath) + "\" " + std::string(address);
    if (CharacterCount(line) > kMaxCommandLine) return std::nullopt;
    return line;
}
