#include "list/ProxyWatch.h"

#include <utility>

#include "list/ProxyProbe.h"

ProxyWatch::ProxyWatch() {
    timer_.onTimer = [this] { Ask(); };
    check_.onResult = [this](int index) { OnResult(index); };
}

ProxyWatch::~ProxyWatch() { Stop(); }

bool ProxyWatch::Start(const std::string& address, std::string request, uint32_t boundMs,
                       uint32_t intervalMs) {
    Stop();
    address_ = address;
    failures_ = 0;
    if (intervalMs == 0 || !probe::SplitProxyEntry(address)) return false;
    request_ = std::move(request);
    boundMs_ = boundMs;
    intervalMs_ = intervalMs;
    running_ = true;
    timer_.Restart(intervalMs_);
    return true;
}

void ProxyWatch::Stop() {
    ++generation_;
    running_ = false;
    timer_.SetEnabled(false);
    // Closes the socket and drops its queued events; an abandoned lookup's
    // late answer starts nothing.
    check_.Clear();
}

void ProxyWatch::Ask() {
    // One ask at a time: the next interval starts when this one comes back.
    timer_.SetEnabled(false);
    if (!running_ || check_.Running()) return;
    // The address in use is one the browser connects to anyway, whatever
    // its class: a proxy of the user's own network is asked as any other.
    check_.Start({address_}, request_, boundMs_, probe::ListSource::Local);
}

void ProxyWatch::OnResult(int index) {
    const ProxyCheck::Result result = check_.ResultOf(index);
    if (!running_ || index != 0) return;
    bool failed = false;
    switch (result.outcome) {
        case probe::Outcome::Answered: break;
        case probe::Outcome::NoAnswer:
        case probe::Outcome::Refused: failed = true; break;
        default:
            // Nothing that can be asked: a check that refuses the address
            // would refuse it every time.
            Stop();
            return;
    }
    ++asks_;
    failures_ = failed ? failures_ + 1 : 0;
    // Before the handlers, so that one of them may stop or restart the watch.
    timer_.Restart(intervalMs_);
    const uint64_t generation = generation_;
    const std::string address = address_;
    if (onAnswer) onAnswer(address, result);
    if (generation == generation_ && failures_ == kFailuresToReport && onStopped) onStopped(address);
}
