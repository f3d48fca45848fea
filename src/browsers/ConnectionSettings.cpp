#include "browsers/ConnectionSettings.h"

namespace {

class Reader {
public:
    explicit Reader(std::string_view bytes) : rest_(bytes) {}

    bool Number(uint32_t& value) {
        if (rest_.size() < 4) return false;
        value = 0;
        for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(rest_[i]);
        rest_.remove_prefix(4);
        return true;
    }
    bool Text(std::string& text) {
        uint32_t length = 0;
        if (!Number(length) || length > rest_.size()) return false;
        text = rest_.substr(0, length);
        rest_.remove_prefix(length);
        return true;
    }
    std::string_view Rest() const { return rest_; }

private:
    std::string_view rest_;
};

void PutNumber(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>(value >> (8 * i) & 0xFF);
}

void PutText(std::string& out, const std::string& text) {
    PutNumber(out, static_cast<uint32_t>(text.size()));
    out += text;
}

// What Windows appends after the three strings of a value it creates.
constexpr size_t kNewTail = 32;

}  // namespace

std::optional<ConnectionSettings> ParseConnectionSettings(std::string_view bytes) {
    ConnectionSettings s;
    Reader in(bytes);
    if (!in.Number(s.version) || !in.Number(s.counter) || !in.Number(s.flags) || !in.Text(s.proxyServer) ||
        !in.Text(s.bypassList) || !in.Text(s.autoConfigUrl)) {
        return std::nullopt;
    }
    s.tail = in.Rest();
    return s;
}

std::string ComposeConnectionSettings(const ConnectionSettings& s) {
    std::string out;
    PutNumber(out, s.version);
    PutNumber(out, s.counter);
    PutNumber(out, s.flags);
    PutText(out, s.proxyServer);
    PutText(out, s.bypassList);
    PutText(out, s.autoConfigUrl);
    return out + s.tail;
}

std::string FollowPlainValues(const std::optional<std::string>& stored, const PlainProxyValues& plain) {
    std::optional<ConnectionSettings> s;
    if (stored) s = ParseConnectionSettings(*stored);
    if (s) {
        ++s->counter;  // wraps to 0 after 0xFFFFFFFF, as an unsigned count does
    } else {
        s.emplace();
        s->counter = 1;
        // As Windows makes it for a new profile: "Automatically detect
        // settings" is on.
        s->flags = ConnectionSettings::kDirect | ConnectionSettings::kAutoDetect;
        if (!plain.autoConfigUrl.empty()) s->flags |= ConnectionSettings::kAutoConfigUrl;
        s->bypassList = plain.proxyOverride;
        s->autoConfigUrl = plain.autoConfigUrl;
        s->tail.assign(kNewTail, '\0');
    }
    s->flags &= ~ConnectionSettings::kManualProxy;
    if (plain.enabled) s->flags |= ConnectionSettings::kManualProxy;
    if (plain.proxyServer) s->proxyServer = *plain.proxyServer;
    return ComposeConnectionSettings(*s);
}
