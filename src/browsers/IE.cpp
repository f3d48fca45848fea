#include "browsers/IE.h"

#include "browsers/ProxyServerText.h"
#include "settings/RegFile.h"

namespace {
constexpr char kProxyEnable[] = "ProxyEnable";
constexpr char kProxyServer[] = "ProxyServer";
}  // namespace

IE::IE(std::string key) : key_(std::move(key)) {}

int IE::GetEnabled() { return static_cast<int>(RegFile(key_).GetDword(kProxyEnable)); }

void IE::SetEnabled(int state) { RegFile(key_).SetDword(kProxyEnable, static_cast<uint32_t>(state)); }

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
}
