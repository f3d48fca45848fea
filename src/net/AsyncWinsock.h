#pragma once
// The blocks that every user of Winsock here stands on, each written once:
// the counted start-up, a monotonic clock, the message-only window that
// socket events and lookup answers are posted to, and asynchronous host-name
// lookups with one policy for answers that come after they were given up.
// Connection models (the transport's nested waits, the check's many sockets)
// stay with their owners.
#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/Handles.h"

namespace net {

namespace detail {
inline void CloseSocketHandle(SOCKET s) { closesocket(s); }
}  // namespace detail
using UniqueSocket = base::Owned<SOCKET, detail::CloseSocketHandle, INVALID_SOCKET>;

// Milliseconds on a clock that only goes forward (not the time of day).
uint64_t NowMs();

// One live holder of the process's Winsock start-up: the first holder starts
// Winsock (version 1.1), the last one cleans it up.
class WinsockUser {
public:
    WinsockUser();
    ~WinsockUser();
    WinsockUser(const WinsockUser&) = delete;
    WinsockUser& operator=(const WinsockUser&) = delete;

    // The start-up's data when this holder started Winsock; nullptr otherwise.
    const WSADATA* Started() const { return first_ ? &data_ : nullptr; }
    static int Users();

private:
    bool first_ = false;
    WSADATA data_{};
};

// A message-only window that hands every message to its owner's handler
// (socket events, lookup answers), which returns true for those it took.
// Nothing escapes the handler into the window procedure.
class NotifyWindow {
public:
    using Handler = std::function<bool(UINT msg, WPARAM wp, LPARAM lp)>;
    // Throws EOutOfResources when the window cannot be made.
    explicit NotifyWindow(Handler handler);
    // Whatever is still queued for the window reaches no one.
    ~NotifyWindow();
    NotifyWindow(const NotifyWindow&) = delete;
    NotifyWindow& operator=(const NotifyWindow&) = delete;

    HWND Handle() const { return window_.get(); }
    // Posts socket's events as message; makes the socket non-blocking.
    bool Select(SOCKET socket, UINT message, long events) const;
    // Drops the queued messages of that number: the events of a socket just
    // closed, which a new socket of the same handle value would take for its own.
    void Purge(UINT message) const;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    Handler handler_;
    base::UniqueHwnd window_;
};

// Asynchronous IPv4 lookups of host names, answered by a message to a window
// (wParam the lookup, lParam its error and length). A lookup given up is
// cancelled where the system honours that; otherwise its buffer, which the
// system may still write, waits for the late answer, which then starts nothing.
class HostLookups {
public:
    HostLookups(HWND window, UINT message);
    // Buffers still lent to the system are left to it (1 KiB each, only for
    // lookups cut short).
    ~HostLookups();
    HostLookups(const HostLookups&) = delete;
    HostLookups& operator=(const HostLookups&) = delete;

    // The lookup's handle, or nullptr when Winsock refused to start it.
    HANDLE Start(const std::string& name);
    void Abandon(HANDLE lookup);
    // For the answer message: false when it answers a lookup given up (or
    // none of these). Otherwise the first IPv4 address in network byte order
    // goes to address, or nullopt when the lookup failed or gave none.
    bool Complete(WPARAM wp, LPARAM lp, std::optional<uint32_t>& address);
    // Lookups whose answers have not come yet, given up ones included.
    size_t InFlight() const { return records_.size(); }

private:
    struct Record;
    HWND window_;
    UINT message_;
    std::vector<std::unique_ptr<Record>> records_;
};

}  // namespace net
