#include "net/Url.h"

#include "net/HttpText.h"
#include "net/SockErrors.h"

namespace net {

UrlParts SplitUrl(const std::string& url, const std::string& currentHost, int32_t currentPort) {
    if (url.empty()) throw Exception("Empty URL");
    UrlParts parts;
    parts.url = url;
    parts.host = currentHost;
    parts.port = currentPort == 0 ? 80 : currentPort;

    const bool hasSlashes = url.find("//") != std::string::npos;
    if (hasSlashes) {
        size_t third = NthPos(url, '/', 3);
        if (third <= url.size()) parts.path = url.substr(third - 1, kMaxPath);
    } else if (size_t slash = url.find('/'); slash != std::string::npos) {
        parts.path = url.substr(slash, kMaxPath);
    }

    if (url.find(':') != std::string::npos) {
        std::string scheme = LowerCase(FieldOf(url, ':', 1));
        if (scheme == "gopher") {
            parts.port = 70;
        } else if (scheme == "ftp") {
            parts.port = 21;
        } else if (scheme == "https") {
            throw Exception("HTTP Secure Socket is not supported");
        } else {
            parts.port = 80;
        }
    }

    std::string hostPart;
    if (hasSlashes) {
        hostPart = FieldOf(url, '/', 3);
    } else if (url.front() != '/') {
        hostPart = FieldOf(url, '/', 1);
    }
    if (size_t colon = hostPart.find(':'); colon != std::string::npos) {
        parts.port = StrToInt(FieldOf(hostPart, ':', 2));
        hostPart.resize(colon);
    }
    if (!hostPart.empty()) parts.host = hostPart;

    if (parts.path.empty()) {
        parts.path = "/";
        parts.url += "/";
    }
    return parts;
}

}  // namespace net
