#include "list/ProxyProbe.h"

#include "net/RequestHeader.h"
#include "net/Url.h"

namespace probe {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsNameChar(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '_';
}

// The port of an entry: 1 to 5 digits, 1 to 65535.
std::optional<uint16_t> PortOf(std::string_view text) {
    if (text.empty() || text.size() > 5) return std::nullopt;
    uint32_t value = 0;
    for (char c : text) {
        if (!IsDigit(c)) return std::nullopt;
        value = value * 10 + static_cast<uint32_t>(c - '0');
    }
    if (value == 0 || value > 65535) return std::nullopt;
    return static_cast<uint16_t>(value);
}

}  // namespace

std::optional<ProxyAddress> SplitProxyEntry(std::string_view entry) {
    size_t colon = entry.find(':');
    if (colon == std::string_view::npos || entry.find(':', colon + 1) != std::string_view::npos)
        return std::nullopt;
    std::string_view host = entry.substr(0, colon);
    std::optional<uint16_t> port = PortOf(entry.substr(colon + 1));
    if (!port || host.empty() || host.size() > 253) return std::nullopt;

    // A host of numbers and dots must be a whole dotted address: a lookup
    // would make something else of "1.2.3" or "300.1.1.1".
    const bool numeric = host.find_first_not_of("0123456789.") == std::string_view::npos;
    int labels = 0;
    uint32_t dotted = 0;
    for (size_t start = 0;;) {
        size_t dot = host.find('.', start);
        std::string_view label = host.substr(start, dot == std::string_view::npos ? dot : dot - start);
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-')
            return std::nullopt;
        for (char c : label)
            if (!IsNameChar(c)) return std::nullopt;
        if (numeric) {
            if (label.size() > 3) return std::nullopt;
            uint32_t byte = 0;
            for (char c : label) byte = byte * 10 + static_cast<uint32_t>(c - '0');
            if (byte > 255) return std::nullopt;
            dotted = (dotted << 8) | byte;
        }
        ++labels;
        if (dot == std::string_view::npos) break;
        start = dot + 1;
    }
    if (numeric && labels != 4) return std::nullopt;
    ProxyAddress address{std::string(host), *port, std::nullopt};
    if (numeric) address.dotted = dotted;
    return address;
}

bool IsLocalAddress(uint32_t address) {
    struct Net {
        uint32_t base, mask;
    };
    static constexpr Net kLocal[] = {
        {0x00000000, 0xFF000000},  // 0/8: "this network"
        {0x0A000000, 0xFF000000},  // 10/8
        {0x7F000000, 0xFF000000},  // 127/8
        {0xA9FE0000, 0xFFFF0000},  // 169.254/16
        {0xAC100000, 0xFFF00000},  // 172.16/12
        {0xC0A80000, 0xFFFF0000},  // 192.168/16
        {0xE0000000, 0xF0000000},  // 224/4
        {0xFFFFFFFF, 0xFFFFFFFF},  // the broadcast address
    };
    for (const Net& net : kLocal)
        if ((address & net.mask) == net.base) return true;
    return false;
}

bool MayConnect(uint32_t address, ListSource source, int earlier) {
    if (source == ListSource::Local) return true;
    return !IsLocalAddress(address) && earlier < kMaxPerAddress;
}

std::string ProbeRequest(const std::string& testerAddress) {
    net::UrlParts parts = net::SplitUrl("http://" + testerAddress, "", 80);
    net::RequestTarget target;
    target.method = "HEAD";
    target.path = parts.path;
    target.host = parts.host;
    target.proxyUrl = parts.url;
    net::TExStringList lines;
    BuildRequestLines(target, net::THeaderInfo{}, lines);
    return lines.Text() + "\r\n";
}

Answer JudgeAnswer(std::string_view received) {
    const bool capped = received.size() >= kMaxAnswerBytes;
    std::string_view d = received.substr(0, kMaxAnswerBytes);
    // Out of bytes in the middle of a line that may still become a status line.
    const Answer outOfBytes = capped ? Answer::NotHttp : Answer::Pending;
    const size_t n = d.size();
    size_t i = 0;
    for (char c : std::string_view("HTTP/")) {
        if (i == n) return outOfBytes;
        if (d[i++] != c) return Answer::NotHttp;
    }
    for (int part = 0; part < 2; ++part) {  // the version's two numbers
        size_t start = i;
        while (i < n && IsDigit(d[i])) ++i;
        if (i == n) return outOfBytes;
        if (i == start || d[i] != (part == 0 ? '.' : ' ')) return Answer::NotHttp;
        ++i;
    }
    while (i < n && d[i] == ' ') ++i;
    for (int k = 0; k < 3; ++k, ++i) {
        if (i == n) return outOfBytes;
        if (!IsDigit(d[i])) return Answer::NotHttp;
    }
    if (i == n) return outOfBytes;
    if (d[i] == '\r') {
        if (++i == n) return outOfBytes;
        return d[i] == '\n' ? Answer::StatusLine : Answer::NotHttp;
    }
    if (d[i] == '\n') return Answer::StatusLine;
    if (d[i] != ' ') return Answer::NotHttp;
    return d.find('\n', i) == std::string_view::npos ? outOfBytes : Answer::StatusLine;
}

uint32_t CheckBoundMs(int32_t timeOutSec) {
    if (timeOutSec <= 0 || timeOutSec > kMaxBoundSec) return static_cast<uint32_t>(kMaxBoundSec) * 1000;
    return static_cast<uint32_t>(timeOutSec) * 1000;
}

Look Describe(Outcome outcome, uint32_t ms) {
    switch (outcome) {
        case Outcome::Answered: return {std::to_string(ms) + " ms", false};
        case Outcome::NoAnswer: return {"no answer", true};
        case Outcome::Refused: return {"refused", true};
        case Outcome::NotCheckable: return {"not checkable", true};
        default: return {};
    }
}

}  // namespace probe
