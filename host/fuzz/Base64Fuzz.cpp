// Base64 of any bytes decodes back to them; the one-line form is the MIME
// form without its line ends.
#include <string>

#include "FuzzInput.h"
#include "net/Base64.h"

namespace {

int Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

std::string Decode(std::string_view text) {
    std::string out;
    unsigned bits = 0;
    int count = 0;
    for (char c : text) {
        if (c == '=') break;
        int v = Value(c);
        FUZZ_CHECK(v >= 0);
        bits = (bits << 6) | static_cast<unsigned>(v);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out += static_cast<char>((bits >> count) & 0xFF);
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string one = net::EncodeBase64(bytes);
    FUZZ_CHECK(one.size() == (size + 2) / 3 * 4);
    FUZZ_CHECK(Decode(one) == bytes);

    std::string lines = net::EncodeBase64Lines(bytes);
    std::string joined;
    size_t lineCount = 0;
    for (size_t at = 0; at < lines.size();) {
        size_t end = lines.find("\r\n", at);
        FUZZ_CHECK(end != std::string::npos && end - at <= 60);
        joined += lines.substr(at, end - at);
        at = end + 2;
        ++lineCount;
    }
    FUZZ_CHECK(lineCount == (size + 44) / 45);
    FUZZ_CHECK(joined == one);
    return 0;
}
