#include "net/Powersock.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "net/ErrorText.h"
#include "base/MessageWindow.h"
#include "base/MessageLoop.h"

namespace net {

namespace {
int g_winsockUsers = 0;

constexpr long kSocketEvents = FD_READ | FD_OOB | FD_ACCEPT | FD_CONNECT | FD_CLOSE;  // 61

// Whether a successful WSACancelAsyncRequest really stops the lookup. Wine's
// reports success for any handle, even 0, which names no request, and the
// lookup still writes its buffer and posts its answer afterwards.
bool CancelIsHonoured() {
    static const bool honoured = WSACancelAsyncRequest(nullptr) == SOCKET_ERROR;
    return honoured;
}
}  // namespace

struct TPowersock::LookupRecord {
    HANDLE task = nullptr;
    alignas(8) char hostEntry[MAXGETHOSTSTRUCT];
};

int TPowersock::WinsockUsers() { return g_winsockUsers; }

TPowersock::TPowersock()
    : IoBuffer(new char[kIoBufferSize + 4]),
      TimeoutTimer(std::make_unique<TThreadTimer>()),
      NotifyWindow(base::CreateMessageWindow(L"PsockWindowClass", NotifyProc, this)) {
    TimeoutTimer->SetEnabled(false);
    TimeoutTimer->SetOnTimer([this] { TimerFired(); });
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
    NotifyWindow.reset();
    // A lookup still in flight may write its buffer after this point; the
    // buffer is left to it on purpose (1 KiB, only for lookups cut short).
    if (lookup_) (void)lookup_.release();
    for (auto& record : abandoned_) (void)record.release();
    if (startedWinsock_ && --g_winsockUsers == 0) WSACleanup();
}

void TPowersock::InitWinsock() {
    ReportStatus(8, "Initializing Winsock");
    if (g_winsockUsers++ == 0) {
        WSADATA data{};
        WSAStartup(0x0101, &data);
        auto versionText = [](WORD v) { return std::to_string(HIBYTE(v)) + "." + std::to_string(LOBYTE(v)); };
        winsockInfo_ = {
            "Version= " + versionText(data.wVersion),
            "High Version= " + versionText(data.wHighVersion),
            std::string("Description= ") + data.szDescription,
            std::string("System= ") + data.szSystemStatus,
            "Max Sockets= " + std::to_string(data.iMaxSockets),
            "Max Udp pack size= " + std::to_string(data.iMaxUdpDg),
        };
    }
    startedWinsock_ = true;
    try {
        // The first socket resets its connection on close (linger 0).
        MakeSocket(IPPROTO_TCP, true);
    } catch (...) {
        startedWinsock_ = false;
        if (--g_winsockUsers == 0) WSACleanup();
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
    if (WSAAsyncSelect(SocketHandle.get(), NotifyWindow.get(), SocketEventMessage, kSocketEvents) ==
        SOCKET_ERROR)
        CheckSocketError(WSAEWOULDBLOCK);
}

LRESULT CALLBACK TPowersock::NotifyProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == SocketEventMessage || msg == LookupDoneMessage) {
        auto* self = reinterpret_cast<TPowersock*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self) {
            try {
                self->HandleSocketMessage(msg, wp, lp);
            } catch (...) {
                // The waits see the outcome through the flags; nothing may
                // cross the window procedure.
            }
            return 0;
        }
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void TPowersock::HandleSocketMessage(UINT msg, WPARAM wp, LPARAM lp) {
    const bool ok = WSAGETSELECTERROR(lp) == 0;
    if (msg == LookupDoneMessage) {
        HANDLE task = reinterpret_cast<HANDLE>(wp);
        if (lookup_ && lookup_->task == task) {
            EventOk = ok;
            LookupDone = true;
            lookupCompleted_ = true;
            return;
        }
        // The late answer of a lookup given up earlier: its buffer is free now.
        auto it = std::find_if(abandoned_.begin(), abandoned_.end(),
                               [task](const auto& r) { return r->task == task; });
        if (it != abandoned_.end()) abandoned_.erase(it);
        return;
    }
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
        timerStart_ = GetTickCount64();
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
    timerDue_ = GetTickCount64() + remaining;
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
    ULONGLONG now = GetTickCount64();
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

void TPowersock::AbandonLookup() {
    if (!lookup_) return;
    if (!lookupCompleted_) {
        // A cancelled lookup neither writes its buffer nor posts its answer, so
        // its record can go now; one that could not be cancelled keeps it until
        // the answer comes.
        bool cancelled = WSACancelAsyncRequest(lookup_->task) == 0 && CancelIsHonoured();
        if (!cancelled) abandoned_.push_back(std::move(lookup_));
    }
    lookup_.reset();
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
    lookupCompleted_ = false;
    auto record = std::make_unique<LookupRecord>();
    record->task = WSAAsyncGetHostByName(NotifyWindow.get(), LookupDoneMessage, name.c_str(),
                                         record->hostEntry, sizeof record->hostEntry);
    if (!record->task) {
        CheckSocketError(WSAEWOULDBLOCK);
        throw ESockError("Host Lookup Failed");
    }
    lookup_ = std::move(record);
    OnExitIfAlive abandon(alive, [this] { AbandonLookup(); });
    while (!LookupDone && !TimedOut && !Canceled)
        WaitForEvent(true, [this] { return LookupDone || TimedOut || Canceled; });
    if (TimedOut) throw ESockError("Host Lookup Timed Out");
    if (Canceled) throw ESockError("Host Lookup Canceled");
    if (!EventOk) throw ESockError("Host Lookup Failed");
    const auto* entry = reinterpret_cast<const hostent*>(lookup_->hostEntry);
    if (!entry->h_addr_list || !entry->h_addr_list[0]) throw ESockError("Host Lookup Failed");
    std::memcpy(&RemoteAddress.sin_addr, entry->h_addr_list[0], 4);
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

void TPowersock::SendBuffer(const char* bytes, int length) {
    ReportStatus(4, "Sending Buffer");
    TimerOn();
    OnExitIfAlive off(alive_, [this] { TimerOff(); });
    if (!Canceled) {
        if (length == 0) length = static_cast<int>(std::strlen(bytes));
        if (length < 0 || length > 65535) throw ERangeError();
        if (std::exchange(holdWrite_, false)) {
            held_.assign(bytes, static_cast<size_t>(length));
            return;
        }
        std::string joined;
        size_t heldLeft = held_.size();
        if (heldLeft > 0) {
            joined = std::move(held_) + std::string(bytes, static_cast<size_t>(length));
            held_.clear();
            bytes = joined.data();
            length = static_cast<int>(joined.size());
        }
        int remaining = length;
        while (remaining > 0 && !Canceled) {
            int n = send(SocketHandle.get(), bytes, remaining, 0);
            if (n == 0) break;
            if (n < 0) {
                CheckSocketError(WSAEWOULDBLOCK);
                // The network takes no more for now. Sending does not pump
                // (FD_WRITE is not among the events), so wait for room here,
                // bounded by the time-out.
                fd_set writable;
                FD_ZERO(&writable);
                FD_SET(SocketHandle.get(), &writable);
                DWORD ms = std::min<DWORD>(RemainingMs(), 100);
                timeval tv{static_cast<long>(ms / 1000), static_cast<long>(ms % 1000) * 1000};
                select(0, nullptr, &writable, nullptr, &tv);
                CheckDeadline();
                continue;
            }
            bytes += n;
            remaining -= n;
            // The held Write's bytes count as a packet of their own.
            if (heldLeft > 0 && (heldLeft -= std::min<size_t>(heldLeft, static_cast<size_t>(n))) == 0 &&
                remaining > 0)
                Fire(OnPacketSent);
            Fire(OnPacketSent);
        }
    }
    if (Canceled) {
        Canceled = false;
        held_.clear();
        throw EAbortError("Socket send aborted");
    }
}

void TPowersock::Write(std::string_view text) {
    ReportStatus(8, "Write");
    size_t n = std::min<size_t>(text.size(), kIoBufferSize);
    std::memcpy(IoBuffer.get(), text.data(), n);
    IoBuffer[n] = '\0';
    SendBuffer(IoBuffer.get(), 0);
}

void TPowersock::Writeln(std::string_view text) {
    ReportStatus(8, "Writeln");
    std::string line(text);
    line += "\r\n";
    Write(line);
}

std::string TPowersock::ReadLn() {
    ReportStatus(8, "ReadLn");
    TimerOn();
    auto alive = alive_;
    reading_ = true;
    OnExitIfAlive off(alive, [this] {
        reading_ = false;
        TimerOff();
    });
    // Under Wine every receive is a round trip to the wineserver: one receive
    // of whatever the socket holds serves many lines.
    if (!readBuffer_) readBuffer_.reset(new char[kIoBufferSize]);
    char* buffer = readBuffer_.get();
    size_t searched = readBegin_;
    const char* lf = nullptr;
    while (!Canceled) {
        lf = static_cast<const char*>(std::memchr(buffer + searched, '\n', readEnd_ - searched));
        if (lf) break;
        if (readEnd_ - readBegin_ == static_cast<size_t>(kIoBufferSize))
            throw ESockError("Line longer than the receive buffer");
        if (readBegin_ > 0) {
            // The part of the line taken so far moves to the front, so a line
            // always has the whole buffer.
            std::memmove(buffer, buffer + readBegin_, readEnd_ - readBegin_);
            readEnd_ -= readBegin_;
            readBegin_ = 0;
        }
        searched = readEnd_;
        int n = recv(SocketHandle.get(), buffer + readEnd_, static_cast<int>(kIoBufferSize - readEnd_), 0);
        if (n > 0) {
            readEnd_ += static_cast<size_t>(n);
            continue;
        }
        if (n == 0) {
            // The peer closed: a part of a line is dropped.
            DropReceived();
            return {};
        }
        LastError = WSAGetLastError();
        // The peer's close was handled and the socket replaced: end of stream.
        if (LastError == WSAENOTCONN) return {};
        CheckSocketError(WSAEWOULDBLOCK);
        // A receive that finds nothing re-enables FD_READ, so the next byte to
        // arrive posts a message that ends this sleep.
        WaitForSocket();
    }
    if (Canceled) {
        Canceled = false;
        throw EAbortError("Socket readln aborted");
    }
    size_t lineEnd = static_cast<size_t>(lf - buffer) + 1;
    std::string line(buffer + readBegin_, lineEnd - readBegin_);
    readBegin_ = lineEnd;
    if (readBegin_ == readEnd_) DropReceived();
    return line;
}

void TPowersock::CaptureString(std::string& text, int32_t maximum) {
    ReportStatus(8, "Capture String");
    text.clear();
    BytesReceived = 0;
    TimerOn();
    auto alive = alive_;
    reading_ = true;
    OnExitIfAlive off(alive, [this] {
        reading_ = false;
        TimerOff();
    });
    // Receives of up to 1 MiB: under Wine each recv costs a round trip to the
    // wineserver, which at 64 KiB a call dominated a large download.
    if (!captureBuffer_) captureBuffer_.reset(new char[kCaptureChunk]);
    char* buffer = captureBuffer_.get();
    ULONGLONG lastPump = GetTickCount64();
    while (!Canceled && (maximum == -1 || text.size() < static_cast<size_t>(maximum))) {
        // What the line reader took beyond the last line is the first chunk.
        const char* chunk = buffer;
        int n;
        if (readEnd_ > readBegin_) {
            chunk = readBuffer_.get() + readBegin_;
            n = static_cast<int>(readEnd_ - readBegin_);
        } else {
            n = recv(SocketHandle.get(), buffer, static_cast<int>(kCaptureChunk), 0);
        }
        if (n == 0) break;
        if (n > 0) {
            if (text.size() + static_cast<size_t>(n) > kCaptureLimit)
                throw ESockError("Received data exceed 32 MiB");
            text.append(chunk, static_cast<size_t>(n));
            if (chunk != buffer) DropReceived();
            BytesReceived += n;
            Fire(OnPacketRecvd);
            TimerOn();
            // While data keeps coming, pumping every few milliseconds keeps
            // the window alive at a fraction of the cost of pumping per chunk.
            ULONGLONG now = GetTickCount64();
            if (now - lastPump >= kPumpIntervalMs) {
                lastPump = now;
                WaitForEvent(false);
            }
            continue;
        }
        LastError = WSAGetLastError();
        if (LastError == WSAENOTCONN) break;
        CheckSocketError(WSAEWOULDBLOCK);
        WaitForSocket();
        lastPump = GetTickCount64();
    }
    if (Canceled) {
        Canceled = false;
        throw EAbortError("Socket capture aborted");
    }
}

bool TPowersock::DataAvailable() {
    ReportStatus(8, "Data Available");
    // Bytes that the line reader has taken are waiting all the same.
    if (readEnd_ > readBegin_) return true;
    char probe;
    return recv(SocketHandle.get(), &probe, 1, MSG_PEEK) >= 1;
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
    MSG stale;
    while (PeekMessageW(&stale, NotifyWindow.get(), SocketEventMessage, SocketEventMessage, PM_REMOVE)) {
    }
    Fire(OnDisconnect);
    MakeSocket(0, false);
}

}  // namespace net
