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
