#include "net/Powersock.h"

#include <algorithm>
#include <utility>

#include "net/ErrorText.h"
#include "base/MessageLoop.h"

namespace net {

namespace {
constexpr long kSocketEvents = FD_READ | FD_OOB | FD_ACCEPT | FD_CONNECT | FD_CLOSE;  // 61
}  // namespace

TPowersock::TPowersock()
    : IoBuffer(new char[kIoBufferSize + 4]),
      TimeoutTimer(std::make_unique<base::Timer>()),
      notify_([this](UINT msg, WPARAM wp, LPARAM lp) { return HandleSocketMessage(msg, wp, lp); }) {
    TimeoutTimer->onTimer = [this] { TimerFired(); };
    ReportStatus(8, "Create");
    InitWinsock();
}

TPowersock::~TPowersock() {
    Destroying = true;
    ReportStatus(8, "Destroy");
    *alive_ = false;
    Cancel();
    TimeoutTimer.reset();
    try {
        CloseSocket();
    } catch (...) {
        // A destructor cannot report; the handle is gone either way.
    }
}

void TPowersock::InitWinsock() {
    ReportStatus(8, "Initializing Winsock");
    winsock_ = std::make_unique<WinsockUser>();
    if (const WSADATA* data = winsock_->Started()) {
        auto versionText = [](WORD v) { return std::to_string(HIBYTE(v)) + "." + std::to_string(LOBYTE(v)); };
        winsockInfo_ = {
            "Version= " + versionText(data->wVersion),
            "High Version= " + versionText(data->wHighVersion),
            std::string("Description= ") + data->szDescription,
            std::string("System= ") + data->szSystemStatus,
            "Max Sockets= " + std::to_string(data->iMaxSockets),
            "Max Udp pack size= " + std::to_string(data->iMaxUdpDg),
        };
    }
    try {
        // The first socket resets its connection on close (linger 0).
        MakeSocket(IPPROTO_TCP, true);
    } catch (...) {
        winsock_.reset();
        throw ESockError("Initializaton of windows sockets failed");
    }
}

void TPowersock::MakeSocket(int protocol, bool linger) {
    SocketHandle.reset(socket(AF_INET, SOCK_STREAM, protocol));
    if (!SocketHandle) {
        CheckSocketError(WSAEWOULDBLOCK);
        throw ESockError(ErrorText(LastError));
    }
    // A receive buffer large enough for the 1 MiB receives of a capture.
    int receiveBuffer = static_cast<int>(kCaptureChunk);
    setsockopt(SocketHandle.get(), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&receiveBuffer),
               sizeof receiveBuffer);
    if (linger) {
        LINGER option{1, 0};
        setsockopt(SocketHandle.get(), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&option),
                   sizeof option);
    }
    socketFresh_ = true;
    // Also makes the socket non-blocking.
    if (!notify_.Select(SocketHandle.get(), SocketEventMessage, kSocketEvents))
        CheckSocketError(WSAEWOULDBLOCK);
}

bool TPowersock::HandleSocketMessage(UINT msg, WPARAM wp, LPARAM lp) {
    const bool ok = WSAGETSELECTERROR(lp) == 0;
    if (msg == LookupDoneMessage) {
        std::optional<uint32_t> address;
        if (lookups_.Complete(wp, lp, address) && reinterpret_cast<HANDLE>(wp) == lookup_) {
            lookup_ = nullptr;
            lookupAddress_ = address;
            EventOk = ok;
            LookupDone = true;
        }
        return true;
    }
    if (msg != SocketEventMessage) return false;
    // The waits see the outcome through the flags: an exception of a handler
    // run from here ends nothing but this message.
    try {
        HandleSocketEvent(wp, lp);
    } catch (...) {
    }
    return true;
}

void TPowersock::HandleSocketEvent(WPARAM wp, LPARAM lp) {
    const bool ok = WSAGETSELECTERROR(lp) == 0;
    // Events of a socket closed since they were posted belong to no one (the
    // handle value may even have been reused by the fresh socket).
    if (static_cast<SOCKET>(wp) != SocketHandle.get()) return;
    EventOk = ok;
    ++socketEvents_;
    switch (WSAGETSELECTEVENT(lp)) {
        case FD_CONNECT:
            connectNoticed_ = true;
            if (EventOk) {
                Connected = true;
                Fire(OnConnect);
            }
            break;
        case FD_CLOSE:
            // With bytes still waiting, or a reader at work after a graceful
            // close, the reader takes them and meets the end of the stream
            // itself (without a peek and a fresh socket before its last read).
            if ((!reading_ || !ok) && !DataAvailable()) CloseSocket();
            break;
        case FD_ACCEPT: Connected = true; break;
        default: break;
    }
}

void TPowersock::ReportStatus(int level, const std::string& text) {
    if (level > ReportLevel) return;
    statusText_ = text;
    if (!Destroying && OnStatus) {
        try {
            OnStatus(text);
        } catch (...) {
        }
    }
}

std::string TPowersock::ErrorText(int code) { return net::ErrorText(code); }

std::string TPowersock::CheckSocketError(int ignored) {
    int code = WSAGetLastError();
    LastError = code;
    if (code != ignored && code > 10000) {
        std::string text = ErrorText(code);
        ReportStatus(8, "Looking Up Error Message");
        throw ESockError(text);
    }
    return {};
}

void TPowersock::ThrowDestroyed() { throw EAbortError("Socket component destroyed by a handler"); }

// ---- time-out -------------------------------------------------------------

void TPowersock::TimerOn() {
    ReportStatus(8, "Timer On");
    TimedOut = false;
    if (TimeOut < 0) throw ERangeError();
    // A running bound is not restarted: each counts from the first TimerOn
    // after the last TimerOff.
    if (!timerRunning_) {
        timerRunning_ = true;
        timerStart_ = NowMs();
    }
}

void TPowersock::TimerOff() {
    ReportStatus(8, "Timer Off");
    timerRunning_ = false;
    // The window timer stays set: the next step's wait most likely needs it
    // again, and under Wine every SetTimer and KillTimer is a round trip to
    // the wineserver. TimerFired removes it when it comes to nothing.
}

void TPowersock::ArmTimer() {
    // Set only when a wait is about to sleep: most steps find their data at
    // once. A timer already due by this bound's deadline serves it too.
    if (!timerRunning_ || TimeOut <= 0 || !TimeoutTimer) return;
    if (timerDue_ != 0 && timerDue_ <= timerStart_ + static_cast<ULONGLONG>(TimeOut)) return;
    DWORD remaining = std::max<DWORD>(RemainingMs(), 1);
    timerDue_ = NowMs() + remaining;
    TimeoutTimer->Restart(remaining);
}

void TPowersock::TimerFired() {
    timerDue_ = 0;
    if (timerRunning_ && TimeOut > 0 && RemainingMs() > 0) {
        ArmTimer();
        return;
    }
    TimeoutTimer->SetEnabled(false);
    if (timerRunning_ && TimeOut > 0) TimerTriggered();
}

void TPowersock::TimerTriggered() {
    ReportStatus(8, "Timer Triggered");
    TimerOff();
    TimedOut = true;
    LookupDone = true;
    Abort();
}

DWORD TPowersock::RemainingMs() const {
    if (TimeOut <= 0 || !timerRunning_) return INFINITE;
    ULONGLONG deadline = timerStart_ + static_cast<ULONGLONG>(TimeOut);
    ULONGLONG now = NowMs();
    return now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
}

void TPowersock::CheckDeadline() {
    // WM_TIMER is the time-out; this only covers a timer message that comes
    // late (it is generated only when the queue holds nothing else).
    if (RemainingMs() == 0 && !TimedOut) TimerTriggered();
}

void TPowersock::WaitForEvent(bool block, const std::function<bool()>& enough) {
    auto alive = alive_;
    bool quit = false;
    lastPump_ = NowMs();
    if (block) {
        ArmTimer();
        DWORD ms = RemainingMs();
        // MWMO_INPUTAVAILABLE: messages already seen by an earlier peek but
        // left in the queue also end the wait. When it times out the queue
        // is known to be empty, and the pump's peek is spared.
        if (ms == 0 ||
            MsgWaitForMultipleObjectsEx(0, nullptr, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE) != WAIT_TIMEOUT)
            quit = !base::ProcessMessagesUntil(enough);
    } else {
        quit = !base::ProcessMessages();
    }
    if (!*alive) ThrowDestroyed();
    // The application is ending: a wait would otherwise wake at once for the
    // quit message again and again.
    if (quit) Abort();
    CheckDeadline();
}

void TPowersock::WaitForSocket() {
    const unsigned seen = socketEvents_;
    const SOCKET socket = SocketHandle.get();
    WaitForEvent(true, [this, seen, socket] {
        return socketEvents_ != seen || SocketHandle.get() != socket || Canceled || TimedOut;
    });
}

// ---- operations -----------------------------------------------------------

void TPowersock::Abort() {
    ReportStatus(8, "Abort");
    Cancel();
}

void TPowersock::Cancel() {
    ReportStatus(8, "Canceling");
    Canceled = true;
}

void TPowersock::ResolveHost() {
    ReportStatus(8, "Resolve Host");
    const std::string& name = Proxy.empty() ? Host : Proxy;
    unsigned long address = inet_addr(name.c_str());
    if (address != INADDR_NONE) {
        RemoteAddress.sin_addr.s_addr = address;
        return;
    }
    RemoteAddress.sin_addr.s_addr = 0;
    TimerOn();
    auto alive = alive_;
    OnExitIfAlive off(alive, [this] { TimerOff(); });
    LookupDone = false;
    lookup_ = lookups_.Start(name);
    if (!lookup_) {
        CheckSocketError(WSAEWOULDBLOCK);
        throw ESockError("Host Lookup Failed");
    }
    OnExitIfAlive abandon(alive, [this] {
        if (lookup_) lookups_.Abandon(std::exchange(lookup_, nullptr));
    });
    while (!LookupDone && !TimedOut && !Canceled)
        WaitForEvent(true, [this] { return LookupDone || TimedOut || Canceled; });
    if (TimedOut) throw ESockError("Host Lookup Timed Out");
    if (Canceled) throw ESockError("Host Lookup Canceled");
    if (!EventOk || !lookupAddress_) throw ESockError("Host Lookup Failed");
    RemoteAddress.sin_addr.s_addr = *lookupAddress_;
    Fire(OnHostResolved);
}

void TPowersock::Connect() {
    ReportStatus(8, "Connecting");
    // Refused also while a lookup or connection attempt is still waiting:
    // a second Connect then would overwrite the first one's address.
    if (Connected || connecting_) throw ESockError("Already connected");
    // Refused before anything starts: a dotted address is not looked up, so
    // the first TimerOn would come only after connect() had reached the peer.
    if (TimeOut < 0) throw ERangeError();
    Canceled = false;
    connecting_ = true;
    auto alive = alive_;
    OnExitIfAlive done(alive, [this] { connecting_ = false; });

    for (int attempts = 0;; ++attempts) {
        try {
            ResolveHost();
        } catch (const EAbortError&) {
            throw;
        } catch (const ESockError& e) {
            std::string text = e.what();
            if (text == "Host Lookup Timed Out" || text == "Host Lookup Canceled") throw;
            RemoteAddress.sin_addr.s_addr = 0;
        }
        if (RemoteAddress.sin_addr.s_addr != 0) break;
        if (attempts > 0 || !OnInvalidHost) throw ESockError("Null Remote Address");
        bool handled = false;
        Fire(OnInvalidHost, handled);
        if (!handled) throw ESockError("Null Remote Address");
    }

    RemoteAddress.sin_family = AF_INET;
    RemoteAddress.sin_port = htons(static_cast<u_short>((Proxy.empty() ? Port : ProxyPort) & 0xFFFF));
    LookupDone = false;
    EventOk = true;
    connectNoticed_ = false;
    socketFresh_ = false;
    if (connect(SocketHandle.get(), reinterpret_cast<const sockaddr*>(&RemoteAddress),
                sizeof RemoteAddress) == SOCKET_ERROR)
        CheckSocketError(WSAEWOULDBLOCK);
    TimerOn();
    {
        OnExitIfAlive off(alive, [this] { TimerOff(); });
        // The wait ends on the connect notice itself: a peer that accepts and
        // closes at once has its FD_CLOSE handled in the same pump, which
        // clears Connected again before the loop could see it set.
        auto over = [this] { return connectNoticed_ || TimedOut || Canceled || !EventOk; };
        while (!over()) WaitForEvent(true, over);
    }
    if (!TimedOut && !Canceled && EventOk && Connected) return;
    Fire(OnConnectionFailed);
    if (TimedOut) throw ESockError("Connection Timed out");
    if (Canceled) throw ESockError("Connection Canceled");
    throw ESockError("Connection Failed");
}

void TPowersock::Disconnect() {
    ReportStatus(8, "Disconnecting");
    CloseSocket();
}

void TPowersock::CloseSocket() {
    ReportStatus(4, "Request Close Socket");
    Connected = false;
    // Nothing of this connection may reach a reader of the next one.
    DropReceived();
    held_.clear();
    holdWrite_ = false;
    if (!SocketHandle) return;
    if (socketFresh_ && !Destroying) {
        // Already a new, unused socket (the peer's close was handled before):
        // replacing it with another would only cost system calls.
        Fire(OnDisconnect);
        return;
    }
    SOCKET s = SocketHandle.release();
    if (closesocket(s) == SOCKET_ERROR) CheckSocketError(WSAEWOULDBLOCK);
    if (Destroying) return;
    // Events of the closed socket still queued would otherwise be taken for
    // events of the next connection.
    notify_.Purge(SocketEventMessage);
    Fire(OnDisconnect);
    MakeSocket(0, false);
}

}  // namespace net
