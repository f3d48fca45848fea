#include "browsers/ProxyServerText.h"

ProxyServerParts SplitProxyServer(std::string_view value) {
    static constexpr std::string_view kHttp = "http=";
    ProxyServerParts parts;
    // An entry's protocol starts the value or follows a ";": WinINet and
    // Chrome read "shttp=" as an entry of its own, so the "http=" inside it
    // is not the one they send HTTP through.
    size_t http = value.find(kHttp);
    while (http != value.npos && http != 0 && value[http - 1] != ';') http = value.find(kHttp, http + 1);
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
