#pragma once
// A stand-in HTTP proxy on 127.0.0.1 for the check of the listed proxies, in
// the tests, the bench and the demo. Every connection has a thread of its
// own, so any number can be open at once; each first reads the request up to
// its empty line, then behaves as its kind says.
//
//   qbtest::StandInProxy proxy(qbtest::StandInProxy::Kind::Silent);
//   check.Start({proxy.Entry()}, request, 1000);
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qbtest {

class StandInProxy {
public:
    enum class Kind {
        Answers,       // "HTTP/1.0 200 OK" after answerDelayMs, then closes
        Silent,        // never sends a byte; holds the connection until the client closes
        EndlessLine,   // "HTTP/1.0 200 " and then an endless line that never ends
        Garbage,       // 3,000 bytes of binary noise, then silence
        TenMiB,        // 10 MiB of HTML lines, no status line
        ClosesAtOnce,  // closes as soon as the request is read
    };

    explicit StandInProxy(Kind kind, int answerDelayMs = 0);
    ~StandInProxy();  // closes every connection
    StandInProxy(const StandInProxy&) = delete;
    StandInProxy& operator=(const StandInProxy&) = delete;

    // How the connections accepted from now on behave: a proxy that answers
    // and then stops.
    void SetKind(Kind kind);
    // The n-th connection accepted (from 0, the first ever) behaves as
    // kinds[n], those past the end as the kind set: the turns a client
    // takes, fixed before it takes them.
    void Script(std::vector<Kind> kinds);
    uint16_t Port() const;
    std::string Entry() const;  // "127.0.0.1:<port>", as the list shows it
    int Accepted() const;       // connections accepted so far
    int Open() const;           // connections the client has not yet closed
    // The bytes received on each connection, in order of acceptance.
    std::vector<std::string> Requests() const;

private:
    struct State;
    std::shared_ptr<State> state_;
};

}  // namespace qbtest
