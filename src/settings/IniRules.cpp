#include "settings/IniRules.h"

namespace ini {

namespace {
int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
}  // namespace

int32_t ParseInteger(std::string_view text, int32_t fallback) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        uint64_t value = 0;
        for (char c : text.substr(2)) {
            int d = HexDigit(c);
            if (d < 0) return fallback;
            value = value * 16 + static_cast<uint64_t>(d);
            if (value > 0xFFFFFFFFull) return fallback;
        }
        // Eight hex digits cover the whole 32-bit pattern: 0xFFFFFFFF is -1.
        return static_cast<int32_t>(static_cast<uint32_t>(value));
    }
    if (text.empty()) return fallback;
    size_t i = 0;
    bool negative = false;
    if (text[0] == '+' || text[0] == '-') {
        negative = text[0] == '-';
        i = 1;
    }
    if (i == text.size()) return fallback;
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c < '0' || c > '9') return fallback;
        value = value * 10 + (c - '0');
        if (value > 2147483648LL) return fallback;
    }
    if (negative) value = -value;
    if (value > INT32_MAX || value < INT32_MIN) return fallback;
    return static_cast<int32_t>(value);
}

int32_t WatchSeconds(std::string_view watchText, int32_t checkEnable) {
    // With the check off the program connects nowhere but to the list page.
    if (checkEnable == 0) return 0;
    int32_t seconds = ParseInteger(watchText, 0);
    // A number too long for 32 bits is still above 3600.
    std::string_view digits = watchText.substr(!watchText.empty() && watchText[0] == '+' ? 1 : 0);
    if (seconds == 0 && digits.size() > 9 &&
        digits.find_first_not_of("0123456789") == std::string_view::npos &&
        digits.find_first_not_of('0') != std::string_view::npos)
        seconds = 3600;
    // Never more often than every half minute: each ask is a connection the
    // proxy's owner sees.
    if (seconds <= 0) return 0;
    if (seconds < 30) return 30;
    return seconds > 3600 ? 3600 : seconds;
}

bool IsUtf8(std::string_view bytes) {
    // The smallest code point that needs 2, 3 or 4 bytes; fewer is an overlong form.
    static constexpr uint32_t kLowest[] = {0, 0x80, 0x800, 0x10000};
    size_t i = 0;
    while (i < bytes.size()) {
        auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        if (c < 0xC2 || c > 0xF4) return false;
        size_t more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
        if (bytes.size() - i - 1 < more) return false;
        uint32_t cp = c & (0x3Fu >> more);
        for (size_t k = 1; k <= more; ++k) {
            auto t = static_cast<unsigned char>(bytes[i + k]);
            if ((t & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (t & 0x3Fu);
        }
        if (cp < kLowest[more] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += more + 1;
    }
    return true;
}

TextForm DetectTextForm(std::string_view bytes) {
    if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") return TextForm::Utf16;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return TextForm::Utf8Bom;
    bool beyondAscii = false;
    for (char c : bytes) beyondAscii = beyondAscii || static_cast<unsigned char>(c) >= 0x80;
    return beyondAscii && IsUtf8(bytes) ? TextForm::Utf8 : TextForm::CodePage;
}

bool IsOneLineText(std::string_view text) {
    for (unsigned char c : text) {
        if (c < 0x20) return false;
    }
    return true;
}

}  // namespace ini
