#pragma once
// The watch on the proxy in use: at every interval it asks that one address,
// in the background, exactly as the check of the listed proxies asks one
// entry (a list of one for a ProxyCheck of its own: the same request, bound,
// 4 KiB cap and late-answer policy), and says when it has stopped answering.
// Everything runs from messages on the thread that made it; nothing blocks.
#include <cstdint>
#include <functional>
#include <string>

#include "base/Timer.h"
#include "list/ProxyCheck.h"

class ProxyWatch {
public:
    // Failures in a row (no answer, or refused) that make "stopped answering".
    static constexpr int kFailuresToReport = 2;

    // Throws EOutOfResources when a notification window cannot be made.
    ProxyWatch();
    // Closes the ask under way.
    ~ProxyWatch();
    ProxyWatch(const ProxyWatch&) = delete;
    ProxyWatch& operator=(const ProxyWatch&) = delete;

    // Stops whatever was watched, then watches address: the first ask
    // intervalMs from now, each next one intervalMs after the last came back,
    // so asks never overlap. Each ask sends request and gives the proxy
    // boundMs. False, watching nothing, when address is not host:port or
    // intervalMs is 0.
    bool Start(const std::string& address, std::string request, uint32_t boundMs, uint32_t intervalMs);
    // Closes the ask under way; nothing it would have heard is reported, now
    // or later.
    void Stop();

    bool Running() const { return running_; }
    // The address watched (also after Stop, until the next Start).
    const std::string& Address() const { return address_; }
    int FailuresInARow() const { return failures_; }
    // Asks that came back since the watch was made, whatever their outcome.
    uint64_t Asks() const { return asks_; }

    // The handlers may Stop or Start the watch again (a switch to another
    // address), but must not destroy it.
    //
    // An ask came back: outcome Answered (with its time), NoAnswer or Refused.
    // The main window puts it in place of the entry's note.
    std::function<void(const std::string& address, const ProxyCheck::Result& result)> onAnswer;
    // The address has failed kFailuresToReport times in a row; said once for
    // each run of failures, after onAnswer.
    std::function<void(const std::string& address)> onStopped;

private:
    void Ask();
    void OnResult(int index);

    ProxyCheck check_;
    base::Timer timer_;
    std::string address_;
    std::string request_;
    uint32_t boundMs_ = 0;
    uint32_t intervalMs_ = 0;
    bool running_ = false;
    int failures_ = 0;
    uint64_t asks_ = 0;
    // Goes up at every Stop and Start: a handler that changed the watch
    // leaves the rest of the old ask's report unsaid.
    uint64_t generation_ = 0;
};
