#pragma once
// The text side of checking the listed proxies: which entries can be
// checked, the request sent through each, how the first bytes of an answer
// are judged, and how a result reads. Pure; no Win32 types.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace probe {

// Never more than this is read from one proxy.
inline constexpr size_t kMaxAnswerBytes = 4096;
// The longest a proxy is given to answer, whatever the fetch time-out says.
inline constexpr int32_t kMaxBoundSec = 10;

// An entry that names a proxy: an IPv4 address or a host name, a colon, and
// a port from 1 to 65535.
struct ProxyAddress {
    std::string host;
    uint16_t port = 0;
    // The four bytes of a dotted address, in order; nullopt for a host name,
    // which has to be looked up.
    std::optional<uint32_t> dotted;  // a.b.c.d as (a << 24) | (b << 16) | (c << 8) | d
};

// The proxy an entry names, or nullopt when the entry is not host:port (the
// "1" that the widest list option can pick up, an empty text, a port out of
// range, a host with characters no name has). Such an entry gets no connection.
std::optional<ProxyAddress> SplitProxyEntry(std::string_view entry);

// The request sent through every proxy: a HEAD of "http://" + the tester's
// address, with the tester's host in its Host line. Throws like the HTTP
// client's address splitting (an address with its own scheme, for one).
std::string ProbeRequest(const std::string& testerAddress);

// What the bytes received so far make of an answer.
enum class Answer {
    Pending,     // still a possible start of a status line
    StatusLine,  // a whole "HTTP/d.d nnn ..." line has arrived
    NotHttp,     // can no longer become one (or no line end within the cap)
};
// Judges at most kMaxAnswerBytes; once the verdict is StatusLine or NotHttp,
// more bytes never change it.
Answer JudgeAnswer(std::string_view received);

// How long a proxy may take, in milliseconds, from the fetch time-out in
// seconds: at most kMaxBoundSec, and kMaxBoundSec too for 0 or less (which
// leave a fetch unbounded; a check must end).
uint32_t CheckBoundMs(int32_t timeOutSec);

enum class Outcome {
    Unchecked,     // not reached yet, or the check was cancelled first
    Checking,      // a connection (or its lookup) is under way
    Answered,      // a status line came back
    NoAnswer,      // nothing usable by the bound, or the proxy gave up
    Refused,       // the connection was refused
    NotCheckable,  // the entry is not host:port
};

// What the list shows after an entry: "123 ms", "no answer", "refused",
// "not checkable", or nothing; failures are shown dimmed.
struct Look {
    std::string text;
    bool dim = false;
};
Look Describe(Outcome outcome, uint32_t ms);

}  // namespace probe
