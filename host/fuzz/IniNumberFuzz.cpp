// The INI number rules against a reference written from their description:
// "0x"/"0X" and at least one more character is hexadecimal up to 32 bits,
// anything else is a signed decimal within 32 bits, otherwise the fallback.
#include <cerrno>
#include <cctype>
#include <cstdlib>
#include <string>

#include "FuzzInput.h"
#include "settings/IniRules.h"

namespace {

int32_t Reference(const std::string& text, int32_t fallback) {
    auto all = [&](size_t from, auto ok) {
        if (from >= text.size()) return false;
        for (size_t i = from; i < text.size(); ++i)
            if (!ok(static_cast<unsigned char>(text[i]))) return false;
        return true;
    };
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        if (!all(2, [](unsigned char c) { return std::isxdigit(c) != 0; })) return fallback;
        size_t first = text.find_first_not_of('0', 2);
        if (first != std::string::npos && text.size() - first > 8) return fallback;
        return static_cast<int32_t>(std::strtoul(text.c_str() + 2, nullptr, 16));
    }
    size_t digits = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
    if (!all(digits, [](unsigned char c) { return c >= '0' && c <= '9'; })) return fallback;
    errno = 0;
    long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (errno == ERANGE || value < INT32_MIN || value > INT32_MAX) return fallback;
    return static_cast<int32_t>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    int32_t fallback = static_cast<int8_t>(in.Byte());
    std::string text(in.Rest());
    if (text.find('\0') != std::string::npos) return 0;  // strtol stops there; no INI value holds one
    FUZZ_CHECK(ini::ParseInteger(text, fallback) == Reference(text, fallback));
    return 0;
}
