#pragma once
// What every test server on 127.0.0.1 shares: a listening socket with an
// acceptor thread, waits that look at the stop flag every 20 ms, and whole
// sends. The servers (LoopbackServer, SampleProvider, StandInProxy) add only
// what they answer.
#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qbtest::tcp {

// Waits up to ms for the socket to have something to read (or to be closed).
bool Readable(SOCKET s, int ms);

// Sends every byte; false when the peer goes or `stop` is set first. It never
// blocks for longer than a moment at a time.
bool SendAll(SOCKET s, std::string_view bytes, const std::atomic<bool>& stop);

// Reads until the empty line that ends a request (CR LF CR LF or LF LF), the
// peer's close, `stop` or maxMs; each chunk also goes to `seen`. Returns the
// bytes read.
std::string ReadRequest(SOCKET s, const std::atomic<bool>& stop, int maxMs,
                        const std::function<void(std::string_view)>& seen = {});

// Reads until the peer closes, `stop` is set or maxMs pass (-1: no bound);
// each chunk goes to `seen`. False when it stopped for `stop`.
bool ReadUntilClose(SOCKET s, const std::atomic<bool>& stop, int maxMs,
                    const std::function<void(std::string_view)>& seen = {});

// A socket listening on 127.0.0.1 and the thread that accepts its
// connections. Each accepted connection is handed to `serve` with its number
// (0, 1, ... in order of acceptance) and the stop flag, on a thread of its
// own or, with OneAtATime, on the acceptor thread itself; the socket is
// closed when `serve` returns. The destructor sets the flag, stops accepting
// and waits for every connection's thread.
class Listener {
public:
    enum class Threads { OnePerConnection, OneAtATime };
    using Serve = std::function<void(SOCKET s, size_t index, const std::atomic<bool>& stop)>;

    // port 0: any free port. Throws std::runtime_error naming `who` when the
    // port cannot be had.
    Listener(const char* who, uint16_t port, Threads threads, Serve serve);
    ~Listener();
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    uint16_t Port() const { return port_; }

private:
    void Run();

    Threads threads_;
    Serve serve_;
    SOCKET socket_ = INVALID_SOCKET;
    uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    struct Acceptor;
    std::unique_ptr<Acceptor> acceptor_;
};

// A port on 127.0.0.1 that nothing listens on (bound, then released).
uint16_t UnusedPort();

// Silent proxies by the hundred without a thread each: a socket listening on
// 127.0.0.1 that never sends. The system completes connections from its
// backlog; Accept takes them, on the caller's thread, only to count them.
class SilentListener {
public:
    SilentListener();  // any free port; throws std::runtime_error when none
    ~SilentListener();
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;

    uint16_t Port() const { return port_; }
    std::string Entry() const { return "127.0.0.1:" + std::to_string(port_); }
    // Takes every connection waiting; returns how many were taken so far.
    int Accept();
    // How many of those the client has not closed yet.
    int Open();

private:
    SOCKET socket_ = INVALID_SOCKET;
    uint16_t port_ = 0;
    std::vector<SOCKET> taken_;
    std::vector<bool> closed_;
};

}  // namespace qbtest::tcp
