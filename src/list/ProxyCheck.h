#pragma once
// Checks which proxies of the list answer, and how fast, without a thread of
// its own: non-blocking sockets whose events, the host-name lookups and one
// timer for the deadlines all arrive as messages to a hidden window, so the
// check runs on the user-interface thread's message loop between whatever
// else the program does (a fetch included).
#include <winsock2.h>
#include <windows.h>

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/Timer.h"
#include "list/ConnectionPace.h"
#include "list/ProxyProbe.h"
#include "net/AsyncWinsock.h"

class ProxyCheck {
public:
    static constexpr int kMaxInFlight = 256;
    // New connections open evenly, never more than kPaceCount in any
    // kPaceWindowMs: a long list must not look like a scan to a home router
    // or a firewall.
    static constexpr int kPaceCount = ConnectionPace::kCount;
    static constexpr uint64_t kPaceWindowMs = ConnectionPace::kWindowMs;
    static constexpr size_t kMaxLookups = 16;

    struct Result {
        probe::Outcome outcome = probe::Outcome::Unchecked;
        uint32_t ms = 0;         // from the entry's start to its status line (or its end)
        uint32_t bytesRead = 0;  // taken from the proxy; never above probe::kMaxAnswerBytes
        uint64_t openedAt = 0;   // when its connection was opened, in ms of the check's clock; 0: none
    };

    // Throws EOutOfResources when the notification window cannot be made.
    ProxyCheck();
    // Closes every connection. A lookup still under way keeps its buffer: the
    // system may yet write into it.
    ~ProxyCheck();
    ProxyCheck(const ProxyCheck&) = delete;
    ProxyCheck& operator=(const ProxyCheck&) = delete;

    // Forgets the last check and checks every entry, at most kMaxInFlight at
    // a time, each with one connection opened at the pace above, sending `request` through it. An
    // entry without a status line boundMs after its start is "no answer". An
    // entry whose address probe::MayConnect refuses for a list from `source`
    // gets no connection and is "not checkable".
    void Start(std::vector<std::string> entries, std::string request, uint32_t boundMs,
               probe::ListSource source);
    // Closes every connection and abandons every lookup; the results that are
    // in stay, the entries under way go back to Unchecked.
    void Cancel();
    // Cancel, and forget every result.
    void Clear();

    bool Running() const { return running_; }
    int Count() const { return static_cast<int>(results_.size()); }
    // The entries of the last check, in list order.
    const std::vector<std::string>& Entries() const { return entries_; }
    // Unchecked for an index outside the last check.
    Result ResultOf(int index) const;
    // Takes an entry's result heard elsewhere (the watch on the proxy in
    // use), unless the check is asking that entry right now. False when it
    // was not taken.
    bool Note(int index, const Result& result);
    // Entries with a connection or a lookup under way.
    int InFlight() const;

    // An entry's result came in (it must not destroy the check).
    std::function<void(int index)> onResult;

private:
    struct Slot;
    static constexpr UINT kLookupMessage = WM_APP + 1;

    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp);
    void OnSocket(int slot, SOCKET socket, int event, int error);
    void OnLookup(WPARAM wp, LPARAM lp);
    void OnTimer();

    void Fill();
    Slot* FreeSlot();
    // Entries not yet started: those ahead, and names put aside.
    bool Pending() const;
    void ScheduleFill(uint64_t delayMs);
    void Launch(Slot& slot, int entry, const probe::ProxyAddress& address);
    void Connect(Slot& slot, uint32_t address);
    void SendMore(Slot& slot);
    void ReadMore(Slot& slot, bool closing);
    void Finish(Slot& slot, probe::Outcome outcome);
    void Release(Slot& slot);
    void ArmTimer();
    int IndexOf(const Slot& slot) const;

    net::WinsockUser winsock_;  // first: the last to go
    std::vector<std::string> entries_;
    std::vector<Result> results_;
    std::string request_;
    uint32_t boundMs_ = 0;
    probe::ListSource source_ = probe::ListSource::Internet;
    std::unordered_map<uint32_t, int> connectionsTo_;  // by address, in this check
    size_t next_ = 0;
    // Host-name entries passed over while every lookup place was taken, in
    // list order, each with its address.
    std::deque<std::pair<int, probe::ProxyAddress>> namesWaiting_;
    bool running_ = false;
    uint64_t armedFor_ = 0;  // the deadline the timer is set for; 0 = none
    ConnectionPace pace_;
    std::unique_ptr<std::array<Slot, kMaxInFlight>> slots_;
    net::NotifyWindow notify_;
    net::HostLookups lookups_{notify_.Handle(), kLookupMessage};
    base::Timer deadlineTimer_;
    // Free places are filled from a timer message, which the system makes
    // only when nothing else waits in the queue: a long list keeps the
    // sockets busy without end, and their messages would otherwise come
    // before every click and every repaint.
    base::Timer fillTimer_;
};
