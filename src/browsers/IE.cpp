#include "browsers/IE.h"

#include <windows.h>
#include <wininet.h>

#include "browsers/ConnectionSettings.h"
#include "browsers/ProxyServerText.h"
#include "settings/RegFile.h"

namespace {
constexpr char kProxyEnable[] = "ProxyEnable";
constexpr char kProxyServer[] = "ProxyServer";
constexpr char kProxyOverride[] = "ProxyOverride";
constexpr char kAutoConfigUrl[] = "AutoConfigURL";
constexpr char kConnections[] = "\\Connections";
constexpr char kDefaultConnection[] = "DefaultConnectionSettings";

// A bypass list may run far longer than an address; a value made anew keeps
// one of this length whole.
constexpr size_t kMaxBypassList = 32 * 1024;
}  // namespace

IE::IE(std::string key) : key_(std::move(key)) {}

int IE::GetEnabled() { return static_cast<int>(RegFile(key_).GetDword(kProxyEnable)); }

void IE::SetEnabled(int state) {
    RegFile(key_).SetDword(kProxyEnable, static_cast<uint32_t>(state));
    FollowSwitch();
}

void IE::GetServer(std::string& buffer) {
    std::string value;
    RegFile::ReadResult read = RegFile(key_).GetString(kProxyServer, value);
    // A value too long for us or of the wrong type reads as no proxy, and is
    // protected from being overwritten with only the part we understood.
    unreadableServer_ = read == RegFile::ReadResult::Unusable;
    ProxyServerParts parts = SplitProxyServer(value);
    ServerPrefix_ = std::move(parts.prefix);
    ServerSuffix_ = std::move(parts.suffix);
    buffer = std::move(parts.address);
}

void IE::SetServer(const std::string& address) {
    if (unreadableServer_) return;
    std::string value = JoinProxyServer({ServerPrefix_, address, ServerSuffix_});
    if (!RegFile::Fits(value)) return;
    RegFile(key_).SetString(kProxyServer, value);
    FollowSwitch();
}

void IE::FollowSwitch() {
    // The plain values as they now stand, whatever of the write went through.
    RegFile plainKey(key_);
    PlainProxyValues plain;
    plain.enabled = plainKey.GetDword(kProxyEnable) != 0;
    std::string server;
    if (plainKey.GetString(kProxyServer, server) != RegFile::ReadResult::Unusable) plain.proxyServer = server;

    RegFile connections(key_ + kConnections);
    const std::optional<std::string> stored = connections.GetBinary(kDefaultConnection);
    // Only a value made anew takes the bypass list and the script from the
    // plain values; a readable one keeps its own.
    if (!stored || !ParseConnectionSettings(*stored)) {
        plainKey.GetString(kProxyOverride, plain.proxyOverride, kMaxBypassList);
        plainKey.GetString(kAutoConfigUrl, plain.autoConfigUrl);
    }
    connections.SetBinary(kDefaultConnection, FollowPlainValues(stored, plain));

    // Running WinINet programs read the settings again on these two; neither
    // failing matters (Wine refuses REFRESH with no handle).
    InternetSetOptionW(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0);
    InternetSetOptionW(nullptr, INTERNET_OPTION_REFRESH, nullptr, 0);
}
