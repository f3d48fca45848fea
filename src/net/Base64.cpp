#include "net/Base64.h"

#include <algorithm>

namespace net {

namespace {
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr size_t kBlock = 45;

void EncodeBlock(std::string_view in, std::string& out) {
    size_t i = 0;
    for (; i + 3 <= in.size(); i += 3) {
        unsigned v = (static_cast<unsigned char>(in[i]) << 16) |
                     (static_cast<unsigned char>(in[i + 1]) << 8) | static_cast<unsigned char>(in[i + 2]);
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += kAlphabet[v & 63];
    }
    size_t rest = in.size() - i;
    if (rest == 0) return;
    unsigned v = static_cast<unsigned char>(in[i]) << 16;
    if (rest == 2) v |= static_cast<unsigned char>(in[i + 1]) << 8;
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
    out += '=';
}
}  // namespace

std::string EncodeBase64Lines(std::string_view bytes) {
    std::string out;
    for (size_t at = 0; at < bytes.size(); at += kBlock) {
        EncodeBlock(bytes.substr(at, kBlock), out);
        out += "\r\n";
    }
    return out;
}

std::string EncodeBase64(std::string_view bytes) {
    std::string out = EncodeBase64Lines(bytes);
    out.erase(std::remove_if(out.begin(), out.end(), [](char c) { return c == '\r' || c == '\n'; }),
              out.end());
    return out;
}

}  // namespace net
