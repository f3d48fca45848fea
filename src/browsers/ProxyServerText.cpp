#include "browsers/ProxyServerText.h"

ProxyServerParts SplitProxyServer(std::string_view value) {
    static constexpr std::string_view kHttp = "http=";
    ProxyServerParts parts;
    size_t http = value.find(kHttp);
    if (http == value.npos) {
        parts.address = value;
        return parts;
    }
    size_t start = http + kHttp.size();
    size_t end = value.find(';', start);
    if (end == value.npos) end = value.size();
    parts.prefix = value.substr(0, start);
    parts.address = value.substr(start, end - start);
    parts.suffix = value.substr(end);
    return parts;
}

std::string JoinProxyServer(const ProxyServerParts& parts) {
    return parts.prefix + parts.address + parts.suffix;
}

std::string CutProxyText(std::string_view text) {
    if (text.size() <= kMaxProxyText) return std::string(text);
    size_t cut = kMaxProxyText;
    // Step back over continuation bytes (10xxxxxx) to the lead byte of the
    // character that the limit would split; a UTF-8 character spans at most
    // four bytes, so malformed text never costs more than three.
    for (int i = 0; i < 3 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80; ++i) --cut;
    return std::string(text.substr(0, cut));
}
