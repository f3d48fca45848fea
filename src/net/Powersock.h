#pragma once
// TPowersock: one TCP connection over Winsock with blocking-style operations
// (connect, send, read a line, read until the peer closes) whose waits keep
// the user interface alive. Socket events, name-lookup results and the
// time-out all arrive as window messages on the user-interface thread; every
// wait sleeps in MsgWaitForMultipleObjectsEx until one of them (or its own
// deadline) comes, pumps the queue, then tests its flags.
#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/Handles.h"
#include "base/Timer.h"
#include "net/AsyncWinsock.h"
#include "net/SockErrors.h"

namespace net {

// Runs fn when the scope ends, also when an exception passes, unless a
// handler run meanwhile destroyed the component that fn would touch.
template <typename Fn>
class OnExitIfAlive {
public:
    OnExitIfAlive(std::shared_ptr<bool> alive, Fn fn) : alive_(std::move(alive)), fn_(std::move(fn)) {}
    ~OnExitIfAlive() {
        if (*alive_) fn_();
    }
    OnExitIfAlive(const OnExitIfAlive&) = delete;
    OnExitIfAlive& operator=(const OnExitIfAlive&) = delete;

private:
    std::shared_ptr<bool> alive_;
    Fn fn_;
};

class TPowersock {
public:
    static constexpr UINT SocketEventMessage = WM_USER + 101;
    static constexpr UINT LookupDoneMessage = WM_USER + 102;
    static constexpr int kIoBufferSize = 65536;
    // A capture (and so a response body) larger than this raises instead of
    // exhausting memory.
    static constexpr size_t kCaptureLimit = size_t{32} << 20;
    static constexpr size_t kCaptureChunk = size_t{1} << 20;
    // How often a capture that keeps receiving lets the rest of the program run.
    static constexpr ULONGLONG kPumpIntervalMs = 10;

    // Starts Winsock for the first live instance and makes the first socket;
    // throws ESockError "Initializaton of windows sockets failed".
    TPowersock();
    virtual ~TPowersock();
    TPowersock(const TPowersock&) = delete;
    TPowersock& operator=(const TPowersock&) = delete;

    // Published properties.
    std::string Host;
    int32_t Port = 0;
    int32_t TimeOut = 0;  // ms; bounds each wait separately; 0 = no bound
    int ReportLevel = 0;
    // When Proxy is not empty, the connection goes to Proxy:ProxyPort instead
    // of Host:Port (and the client's request line names the whole address).
    std::string Proxy;
    int32_t ProxyPort = 0;
    int16_t StatusCode = 0;
    int32_t ExpectedLength = 0;
    int32_t BytesReceived = 0;

    // Events. They run inside the waits, from the message pump.
    std::function<void()> OnConnect;
    std::function<void()> OnDisconnect;
    std::function<void()> OnConnectionFailed;
    std::function<void()> OnHostResolved;
    std::function<void()> OnPacketRecvd;
    std::function<void()> OnPacketSent;
    std::function<void(bool& handled)> OnInvalidHost;
    std::function<void(const std::string& status)> OnStatus;

    // State.
    bool IsConnected() const { return Connected; }
    // Lookup buffers still lent to the system: the current one and those of
    // lookups given up before their answer came.
    size_t LookupsInFlight() const { return lookups_.InFlight(); }
    bool IsTimedOut() const { return TimedOut; }
    bool IsCanceled() const { return Canceled; }
    int LastErrorCode() const { return LastError; }
    // The IPv4 address (a.b.c.d as (a << 24) | ... | d) of the last
    // connection's peer, which the caller may judge the page by; 0 before any.
    uint32_t PeerAddress() const { return ntohl(RemoteAddress.sin_addr.s_addr); }
    const std::string& StatusText() const { return statusText_; }
    const std::vector<std::string>& WinsockInfo() const { return winsockInfo_; }
    // Live instances that hold a Winsock start-up.
    static int WinsockUsers() { return WinsockUser::Users(); }

    virtual void Connect();
    virtual void Disconnect();
    virtual void Abort();
    void Cancel();

    void Write(std::string_view text);
    void Writeln(std::string_view text);
    // length 0: up to the first zero byte. Above 65,535 bytes: ERangeError.
    void SendBuffer(const char* bytes, int length);
    // The next line with its LF (and CR); "" when the peer closed first.
    // Takes whatever the socket holds into a buffer of the component's own
    // and serves the following lines (and the start of a capture) from it.
    std::string ReadLn();
    // Everything until the peer closes (maximum -1) or at least maximum bytes.
    void CaptureString(std::string& text, int32_t maximum);
    bool DataAvailable();
    void CloseSocket();
    void ResolveHost();

    // Raises ESockError with ErrorText for the last Winsock error unless it is
    // `ignored` or not above 10000; returns "" otherwise.
    std::string CheckSocketError(int ignored);
    static std::string ErrorText(int code);
    void ReportStatus(int level, const std::string& text);

protected:
    void TimerOn();
    void TimerOff();
    void TimerTriggered();
    void ArmTimer();
    // The window timer's message: the time-out, or a bound that began later
    // than the one the timer was set for.
    void TimerFired();
    // The next Write keeps its bytes and the one after sends them together
    // with its own: one send instead of two, the bytes on the wire the same.
    void HoldNextWrite() { holdWrite_ = true; }
    // One bound for several reads (a whole response header): the reads made
    // while the returned guard lives share the deadline of its start, rather
    // than each counting afresh.
    auto HoldBound() {
        TimerOn();
        boundHeld_ = true;
        return OnExitIfAlive(alive_, [this] {
            boundHeld_ = false;
            TimerOff();
        });
    }

    // Unwinds an operation whose component a handler destroyed (inside a
    // wait or directly): nothing of the component may be touched afterwards.
    [[noreturn]] static void ThrowDestroyed();
    // True while the component exists; a wait keeps a copy to find out
    // whether a handler it pumped destroyed the component.
    std::shared_ptr<bool> Alive() const { return alive_; }

    // Calls an event handler, when one is assigned, and unwinds with
    // ThrowDestroyed when the handler destroyed the component.
    template <typename Handler, typename... Args>
    void Fire(const Handler& handler, Args&&... args) {
        if (!handler) return;
        auto alive = alive_;
        // The handler's own storage goes with the component it may destroy.
        Handler call = handler;
        call(std::forward<Args>(args)...);
        if (!*alive) ThrowDestroyed();
    }

    bool Canceled = false;
    bool Destroying = false;
    int LastError = 0;
    bool EventOk = true;
    bool TimedOut = false;
    bool LookupDone = false;
    bool Connected = false;

private:
    bool HandleSocketMessage(UINT msg, WPARAM wp, LPARAM lp);
    void HandleSocketEvent(WPARAM wp, LPARAM lp);
    void InitWinsock();
    void MakeSocket(int protocol, bool linger);
    // Sleeps until a message arrives or the time-out's deadline, then pumps
    // until enough() holds or the queue is empty. Throws when a handler
    // destroyed the component meanwhile.
    void WaitForEvent(bool block, const std::function<bool()>& enough = {});
    // Sleeps until the current socket's next event, a time-out or an abort.
    void WaitForSocket();
    // A read's bound and the flag that a reader is at work: TimerOn now, and
    // TimerOff when the returned guard goes (unless the component went first).
    auto BeginRead() {
        TimerOn();
        reading_ = true;
        return OnExitIfAlive(alive_, [this] {
            reading_ = false;
            if (!boundHeld_) TimerOff();
        });
    }
    DWORD RemainingMs() const;
    void CheckDeadline();
    void DropReceived() { readBegin_ = readEnd_ = 0; }

    // First: the last to go, after the window, the lookups and the socket.
    std::unique_ptr<WinsockUser> winsock_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    std::unique_ptr<char[]> IoBuffer;
    std::unique_ptr<char[]> captureBuffer_;
    // Bytes received by ReadLn and not yet handed out: [readBegin_, readEnd_)
    // of readBuffer_, which holds kIoBufferSize bytes.
    std::unique_ptr<char[]> readBuffer_;
    size_t readBegin_ = 0, readEnd_ = 0;
    std::vector<std::string> winsockInfo_;
    std::string statusText_;
    std::unique_ptr<base::Timer> TimeoutTimer;
    ULONGLONG timerStart_ = 0;
    ULONGLONG timerDue_ = 0;  // when the window timer fires; 0: not set
    bool timerRunning_ = false;
    bool boundHeld_ = false;     // HoldBound's guard lives: reads leave the timer running
    ULONGLONG lastPump_ = 0;     // when a wait last let the rest of the program run
    unsigned socketEvents_ = 0;  // events of the current socket handled so far
    bool reading_ = false;       // ReadLn or CaptureString is under way
    bool holdWrite_ = false;
    std::string held_;          // a held Write's bytes
    bool socketFresh_ = false;  // made by MakeSocket and not yet used by connect
    bool connecting_ = false;
    bool connectNoticed_ = false;  // the current attempt's FD_CONNECT has come
    sockaddr_in RemoteAddress{};
    HANDLE lookup_ = nullptr;                // the current lookup, until its answer
    std::optional<uint32_t> lookupAddress_;  // its answer
    UniqueSocket SocketHandle;
    net::NotifyWindow notify_;
    HostLookups lookups_{notify_.Handle(), LookupDoneMessage};
};

}  // namespace net
