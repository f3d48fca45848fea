#pragma once
// The binary registry value "Connections\DefaultConnectionSettings": the
// proxy configuration that WinHTTP hands to its callers (and so to Chrome).
// Little-endian: version, change counter, flags, then three length-prefixed
// byte strings (proxy server, bypass list, auto-configuration URL), then a
// tail that Windows fills with zero bytes of no documented meaning.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct ConnectionSettings {
    static constexpr uint32_t kVersion = 0x46;
    static constexpr uint32_t kDirect = 1;  // always set by Windows itself
    static constexpr uint32_t kManualProxy = 2;
    static constexpr uint32_t kAutoConfigUrl = 4;
    static constexpr uint32_t kAutoDetect = 8;

    uint32_t version = kVersion;
    uint32_t counter = 0;
    uint32_t flags = 0;
    std::string proxyServer;
    std::string bypassList;
    std::string autoConfigUrl;
    std::string tail;
};

// nullopt when the bytes are shorter than the three numbers or a length runs
// past the end. Any version is accepted.
std::optional<ConnectionSettings> ParseConnectionSettings(std::string_view bytes);
// The exact bytes of any value that parsed.
std::string ComposeConnectionSettings(const ConnectionSettings& settings);

// The plain Internet Settings values, as they stand after a switch.
struct PlainProxyValues {
    bool enabled = false;  // ProxyEnable
    // ProxyServer, every protocol's entry; nullopt when it could not be read
    // (too long, or not text), which leaves the binary value's field alone.
    std::optional<std::string> proxyServer;
    std::string proxyOverride;  // ProxyOverride; used only for a new value
    std::string autoConfigUrl;  // AutoConfigURL; used only for a new value
};

// The binary value that follows the plain ones: stored (nullopt when missing
// or not REG_BINARY) with the proxy flag and server replaced and the counter
// moved on, everything else kept byte for byte; a new value when stored is
// missing or unreadable.
std::string FollowPlainValues(const std::optional<std::string>& stored, const PlainProxyValues& plain);
