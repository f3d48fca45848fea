#pragma once
// Splitting of a request address into host, port and path. Pure; no Win32 types.
#include <cstdint>
#include <string>

namespace net {

struct UrlParts {
    std::string host;  // the host to connect to (the current one when the address names none)
    int32_t port = 0;
    std::string path;  // at most kMaxPath characters, "/" when the address has none
    std::string url;   // the address, with a final "/" added when it had no path
};

constexpr size_t kMaxPath = 256;

// Splits url. currentHost and currentPort are what the previous request left:
// an address without a host part keeps the host, one without scheme or port
// keeps the port (0 becomes 80).
// Throws Exception "Empty URL", Exception "HTTP Secure Socket is not
// supported", or EConvertError for a port that is not an integer.
UrlParts SplitUrl(const std::string& url, const std::string& currentHost, int32_t currentPort);

}  // namespace net
