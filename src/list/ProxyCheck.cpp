#include "list/ProxyCheck.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "base/Error.h"

namespace {

// Each slot has a message of its own, so the events still queued for a
// socket just closed can be taken out of the queue without touching the
// others (a new socket may even get the old one's handle value).
constexpr UINT kSocketMessage = WM_APP + 16;
constexpr long kEvents = FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE;

}  // namespace

using net::NowMs;

struct ProxyCheck::Slot {
    int entry = -1;  // -1: free
    net::UniqueSocket socket;
    HANDLE lookup = nullptr;
    uint16_t port = 0;
    std::optional<uint32_t> resolved;  // looked up, waiting for its turn to connect
    uint64_t start = 0;
    uint64_t deadline = 0;
    bool connected = false;
    size_t sent = 0;
    size_t received = 0;
    // Made on first use: 256 slots of answers would be a megabyte that a
    // short list never touches.
    std::unique_ptr<char[]> answer;
};

ProxyCheck::ProxyCheck()
    : slots_(std::make_unique<std::array<Slot, kMaxInFlight>>()),
      notify_([this](UINT msg, WPARAM wp, LPARAM lp) { return OnMessage(msg, wp, lp); }) {
    deadlineTimer_.onTimer = [this] { OnTimer(); };
    fillTimer_.onTimer = [this] { Fill(); };
}

// Lookups still under way keep their buffers (HostLookups); nothing queued
// for the window reaches this object once it is gone.
ProxyCheck::~ProxyCheck() { Cancel(); }

bool ProxyCheck::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg >= kSocketMessage && msg < kSocketMessage + kMaxInFlight) {
        base::Guarded([&] {
            OnSocket(static_cast<int>(msg - kSocketMessage), static_cast<SOCKET>(wp), WSAGETSELECTEVENT(lp),
                     WSAGETSELECTERROR(lp));
        });
        return true;
    }
    if (msg == kLookupMessage) {
        base::Guarded([&] { OnLookup(wp, lp); });
        return true;
    }
    return false;
}

void ProxyCheck::Start(std::vector<std::string> entries, std::string request, uint32_t boundMs,
                       probe::ListSource source) {
    Clear();
    entries_ = std::move(entries);
    results_.assign(entries_.size(), Result{});
    request_ = std::move(request);
    boundMs_ = boundMs;
    source_ = source;
    connectionsTo_.clear();
    next_ = 0;
    running_ = true;
    Fill();
}

void ProxyCheck::Cancel() {
    for (Slot& slot : *slots_) {
        if (slot.entry < 0) continue;
        results_[static_cast<size_t>(slot.entry)] = Result{};
        Release(slot);
    }
    next_ = entries_.size();
    namesWaiting_.clear();
    running_ = false;
    fillTimer_.SetEnabled(false);
    ArmTimer();
}

void ProxyCheck::Clear() {
    Cancel();
    entries_.clear();
    results_.clear();
    next_ = 0;
}

ProxyCheck::Result ProxyCheck::ResultOf(int index) const {
    if (index < 0 || index >= Count()) return Result{};
    return results_[static_cast<size_t>(index)];
}

bool ProxyCheck::Note(int index, const Result& result) {
    if (index < 0 || index >= Count()) return false;
    Result& noted = results_[static_cast<size_t>(index)];
    // Its own answer is on the way and will be the newer one.
    if (noted.outcome == probe::Outcome::Checking) return false;
    noted = result;
    return true;
}

int ProxyCheck::InFlight() const {
    return static_cast<int>(
        std::count_if(slots_->begin(), slots_->end(), [](const Slot& s) { return s.entry >= 0; }));
}

int ProxyCheck::IndexOf(const Slot& slot) const { return static_cast<int>(&slot - slots_->data()); }

void ProxyCheck::Fill() {
    fillTimer_.SetEnabled(false);
    const uint64_t now = NowMs();
    bool paced = false;
    // Entries looked up first take their turns before new ones.
    for (Slot& slot : *slots_) {
        if (slot.entry < 0 || !slot.resolved) continue;
        if (!pace_.MayOpen(now)) {
            paced = true;
            break;
        }
        Connect(slot, *std::exchange(slot.resolved, std::nullopt));
    }
    // Names put aside while every lookup place was taken, as places free up
    // (a lookup opens no connection, so the pace does not hold it back).
    while (!namesWaiting_.empty() && lookups_.InFlight() < kMaxLookups) {
        Slot* free = FreeSlot();
        if (!free) break;
        Launch(*free, namesWaiting_.front().first, namesWaiting_.front().second);
        namesWaiting_.pop_front();
    }
    while (!paced && next_ < entries_.size()) {
        Slot* free = FreeSlot();
        if (!free) break;
        const int entry = static_cast<int>(next_);
        std::optional<probe::ProxyAddress> address = probe::SplitProxyEntry(entries_[next_]);
        if (!address) {
            ++next_;
            results_[static_cast<size_t>(entry)].outcome = probe::Outcome::NotCheckable;
            if (onResult) onResult(entry);
            continue;
        }
        // A name whose lookup has no place yet waits aside; the numbers
        // behind it need none. A finished lookup frees its place in Finish or
        // OnLookup, which fill again.
        if (!address->dotted && lookups_.InFlight() >= kMaxLookups) {
            ++next_;
            namesWaiting_.emplace_back(entry, std::move(*address));
            continue;
        }
        if (address->dotted && !pace_.MayOpen(now)) {
            paced = true;
            break;
        }
        ++next_;
        Launch(*free, entry, *address);
    }
    if (paced) ScheduleFill(pace_.DelayMs(now));
    if (running_ && !Pending() && InFlight() == 0) running_ = false;
    ArmTimer();
}

ProxyCheck::Slot* ProxyCheck::FreeSlot() {
    auto free = std::find_if(slots_->begin(), slots_->end(), [](const Slot& s) { return s.entry < 0; });
    return free == slots_->end() ? nullptr : &*free;
}

bool ProxyCheck::Pending() const { return next_ < entries_.size() || !namesWaiting_.empty(); }

void ProxyCheck::ScheduleFill(uint64_t delayMs) {
    // Set once, not again by each result: setting it anew would put it off.
    if (fillTimer_.Enabled()) return;
    fillTimer_.Restart(static_cast<UINT>(std::max<uint64_t>(delayMs, USER_TIMER_MINIMUM)));
}

void ProxyCheck::Launch(Slot& slot, int entry, const probe::ProxyAddress& address) {
    slot.entry = entry;
    slot.port = address.port;
    slot.resolved.reset();
    slot.start = NowMs();
    slot.deadline = slot.start + boundMs_;
    slot.connected = false;
    slot.sent = 0;
    slot.received = 0;
    if (!slot.answer) slot.answer = std::make_unique<char[]>(probe::kMaxAnswerBytes);
    results_[static_cast<size_t>(entry)].outcome = probe::Outcome::Checking;
    if (address.dotted) {
        Connect(slot, *address.dotted);
        return;
    }
    // Never a blocking lookup: the answer comes as a message.
    slot.lookup = lookups_.Start(address.host);
    if (!slot.lookup) Finish(slot, probe::Outcome::NoAnswer);
}

void ProxyCheck::OnLookup(WPARAM wp, LPARAM lp) {
    std::optional<uint32_t> address;
    const bool live = lookups_.Complete(wp, lp, address);
    // Its place among the lookups is free for the next named entry.
    if (Pending()) ScheduleFill(USER_TIMER_MINIMUM);
    if (!live) return;
    HANDLE task = reinterpret_cast<HANDLE>(wp);
    auto slot =
        std::find_if(slots_->begin(), slots_->end(), [task](const Slot& s) { return s.lookup == task; });
    if (slot == slots_->end()) return;
    slot->lookup = nullptr;
    if (!address) {
        Finish(*slot, probe::Outcome::NoAnswer);
    } else if (pace_.MayOpen(NowMs())) {
        Connect(*slot, ntohl(*address));
    } else {
        slot->resolved = ntohl(*address);
        ScheduleFill(pace_.DelayMs(NowMs()));
    }
}

void ProxyCheck::Connect(Slot& slot, uint32_t address) {
    // Judged here, where dotted and looked-up addresses meet: a name may
    // stand for a local address as well as a dotted entry may.
    int& earlier = connectionsTo_[address];
    if (!probe::MayConnect(address, source_, earlier)) {
        Finish(slot, probe::Outcome::NotCheckable);
        return;
    }
    ++earlier;
    const uint64_t now = NowMs();
    pace_.Opened(now);
    results_[static_cast<size_t>(slot.entry)].openedAt = now;
    slot.socket.reset(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    const UINT message = kSocketMessage + static_cast<UINT>(IndexOf(slot));
    if (!slot.socket || !notify_.Select(slot.socket.get(), message, kEvents)) {
        Finish(slot, probe::Outcome::NoAnswer);
        return;
    }
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(slot.port);
    to.sin_addr.s_addr = htonl(address);
    if (connect(slot.socket.get(), reinterpret_cast<const sockaddr*>(&to), sizeof to) == SOCKET_ERROR) {
        int error = WSAGetLastError();
        // Would-block is the normal answer: the outcome comes as FD_CONNECT.
        if (error != WSAEWOULDBLOCK)
            Finish(slot, error == WSAECONNREFUSED ? probe::Outcome::Refused : probe::Outcome::NoAnswer);
    }
}

void ProxyCheck::OnSocket(int index, SOCKET socket, int event, int error) {
    Slot& slot = (*slots_)[static_cast<size_t>(index)];
    if (slot.entry < 0 || !slot.socket || slot.socket.get() != socket) return;
    switch (event) {
        case FD_CONNECT:
            if (error != 0) {
                Finish(slot, error == WSAECONNREFUSED ? probe::Outcome::Refused : probe::Outcome::NoAnswer);
                return;
            }
            slot.connected = true;
            SendMore(slot);
            break;
        case FD_WRITE:
            if (slot.connected) SendMore(slot);
            break;
        case FD_READ: ReadMore(slot, false); break;
        case FD_CLOSE: ReadMore(slot, true); break;
        default: break;
    }
}

void ProxyCheck::SendMore(Slot& slot) {
    while (slot.sent < request_.size()) {
        int n = send(slot.socket.get(), request_.data() + slot.sent,
                     static_cast<int>(request_.size() - slot.sent), 0);
        if (n > 0) {
            slot.sent += static_cast<size_t>(n);
            continue;
        }
        // The rest goes when FD_WRITE says there is room again.
        if (n < 0 && WSAGetLastError() == WSAEWOULDBLOCK) return;
        Finish(slot, probe::Outcome::NoAnswer);
        return;
    }
}

void ProxyCheck::ReadMore(Slot& slot, bool closing) {
    // One receive per FD_READ (Winsock posts another while bytes remain); at
    // the close, everything that is left, but never past the cap.
    while (slot.received < probe::kMaxAnswerBytes) {
        int n = recv(slot.socket.get(), slot.answer.get() + slot.received,
                     static_cast<int>(probe::kMaxAnswerBytes - slot.received), 0);
        if (n > 0) {
            slot.received += static_cast<size_t>(n);
            switch (probe::JudgeAnswer(std::string_view(slot.answer.get(), slot.received))) {
                case probe::Answer::StatusLine: Finish(slot, probe::Outcome::Answered); return;
                case probe::Answer::NotHttp: Finish(slot, probe::Outcome::NoAnswer); return;
                case probe::Answer::Pending: break;
            }
            if (!closing) return;
            continue;
        }
        if (n < 0 && !closing && WSAGetLastError() == WSAEWOULDBLOCK) return;
        break;  // the proxy closed (or failed) before a status line
    }
    Finish(slot, probe::Outcome::NoAnswer);
}

void ProxyCheck::Finish(Slot& slot, probe::Outcome outcome) {
    const int entry = slot.entry;
    Result& result = results_[static_cast<size_t>(entry)];
    result.outcome = outcome;
    result.ms = static_cast<uint32_t>(NowMs() - slot.start);
    result.bytesRead = static_cast<uint32_t>(slot.received);
    Release(slot);
    if (onResult) onResult(entry);
    if (Pending()) {
        ScheduleFill(USER_TIMER_MINIMUM);
    } else if (InFlight() == 0) {
        running_ = false;
    }
    ArmTimer();
}

void ProxyCheck::Release(Slot& slot) {
    if (slot.socket) {
        slot.socket.reset();
        notify_.Purge(kSocketMessage + static_cast<UINT>(IndexOf(slot)));
    }
    if (slot.lookup) lookups_.Abandon(std::exchange(slot.lookup, nullptr));
    slot.resolved.reset();
    slot.entry = -1;
}

void ProxyCheck::OnTimer() {
    const uint64_t now = NowMs();
    for (Slot& slot : *slots_)
        if (slot.entry >= 0 && slot.deadline <= now) Finish(slot, probe::Outcome::NoAnswer);
    // The timer may come a little before the deadline it was set for.
    armedFor_ = 0;
    ArmTimer();
}

void ProxyCheck::ArmTimer() {
    uint64_t earliest = 0;
    for (const Slot& slot : *slots_)
        if (slot.entry >= 0 && (earliest == 0 || slot.deadline < earliest)) earliest = slot.deadline;
    if (earliest == armedFor_) return;
    armedFor_ = earliest;
    if (earliest == 0) {
        deadlineTimer_.SetEnabled(false);
        return;
    }
    const uint64_t now = NowMs();
    deadlineTimer_.Restart(earliest > now ? static_cast<UINT>(earliest - now) + 1 : 1);
}
