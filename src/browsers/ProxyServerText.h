#pragma once
// The Internet Settings "ProxyServer" value: either one host:port for every
// protocol, or "protocol=host:port" entries separated by ";". Only the entry
// introduced by "http=" is ours; everything around it is kept verbatim.
#include <cstddef>
#include <string>
#include <string_view>

// The longest proxy address (host:port) the program hands around, in bytes:
// the 100-byte field of the original design, less its terminating NUL.
inline constexpr size_t kMaxProxyText = 99;

struct ProxyServerParts {
    std::string prefix;   // up to and including "http="; empty when there is none
    std::string address;  // the HTTP address
    std::string suffix;   // from the ";" that ends the address; may be empty
};

// "http=" counts only at the start of the value or right after a ";", so
// neither "https=" nor "shttp=" is taken for it; a value without such an
// entry is taken as a single address.
ProxyServerParts SplitProxyServer(std::string_view value);

// prefix + address + suffix.
std::string JoinProxyServer(const ProxyServerParts& parts);

// The first kMaxProxyText bytes of text at most, never ending inside a UTF-8
// character: a character that would straddle the limit is left out whole.
std::string CutProxyText(std::string_view text);
