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

// Addresses where no proxy of a list from the internet can be: this machine
// (0/8, 127/8), the private networks (10/8, 172.16/12, 192.168/16),
// link-local (169.254/16), multicast (224/4) and the broadcast address.
bool IsLocalAddress(uint32_t address);  // a.b.c.d as (a << 24) | ... | d

// Where a list came from: a provider on the internet, or one on this machine
// or its own network (a provider of the user's own, as the demo runs one).
enum class ListSource { Internet, Local };

// At most this many connections go to one address in one check of a list
// from the internet, whatever number of entries name it.
inline constexpr int kMaxPerAddress = 4;

// Whether the check may connect to an entry's address, when `earlier`
// connections of the same check went there already. A list from the
// internet must not turn every user's check into a scan of the user's own
// network or a flood of one address; a local list is the user's own.
bool MayConnect(uint32_t address, ListSource source, int earlier);

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
    NotCheckable,  // the entry is not host:port, or MayConnect refuses its address
};

// What the list shows after an entry: "123 ms", "no answer", "refused",
// "not checkable", or nothing; failures are shown dimmed.
struct Look {
    std::string text;
    bool dim = false;
};
Look Describe(Outcome outcome, uint32_t ms);

}  // namespace probe
