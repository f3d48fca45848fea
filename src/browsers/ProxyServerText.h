#pragma once
// The Internet Settings "ProxyServer" value: either one host:port for every
// protocol, or "protocol=host:port" entries separated by ";". Only the entry
// introduced by "http=" is ours; everything around it is kept verbatim.
#include <string>
#include <string_view>

struct ProxyServerParts {
    std::string prefix;   // up to and including "http="; empty when there is none
    std::string address;  // the HTTP address
    std::string suffix;   // from the ";" that ends the address; may be empty
};

// "https=" does not count as "http=", so a value holding only an HTTPS entry
// is taken as a single address.
ProxyServerParts SplitProxyServer(std::string_view value);

// prefix + address + suffix.
std::string JoinProxyServer(const ProxyServerParts& parts);
