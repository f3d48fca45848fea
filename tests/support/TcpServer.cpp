// Included by the demo's provider program as well as compiled into the test
// support library, hence the header named relative to this file.
#include "TcpServer.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

namespace qbtest::tcp {

namespace {
using Clock = std::chrono::steady_clock;

Clock::time_point Deadline(int maxMs) {
    return maxMs < 0 ? Clock::time_point::max() : Clock::now() + std::chrono::milliseconds(maxMs);
}

// A TCP socket bound to 127.0.0.1:port (0: any free port), or INVALID_SOCKET.
SOCKET BoundToLoopback(uint16_t port) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    if (s != INVALID_SOCKET && bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        closesocket(s);
        return INVALID_SOCKET;
    }
    return s;
}

uint16_t PortOf(SOCKET s) {
    sockaddr_in addr{};
    int len = sizeof addr;
    getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
    return ntohs(addr.sin_port);
}
}  // namespace

bool Readable(SOCKET s, int ms) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval tv{ms / 1000, (ms % 1000) * 1000};
    return select(0, &set, nullptr, nullptr, &tv) > 0;
}

bool SendAll(SOCKET s, std::string_view bytes, const std::atomic<bool>& stop) {
    // Never a blocking send: under Wine one that is waiting for room when the
    // peer resets the connection can wait forever, and stop could not end it.
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    while (!bytes.empty() && !stop) {
        int n = send(s, bytes.data(), static_cast<int>(std::min<size_t>(bytes.size(), 1 << 20)), 0);
        if (n > 0) {
            bytes.remove_prefix(static_cast<size_t>(n));
            continue;
        }
        if (n == 0 || WSAGetLastError() != WSAEWOULDBLOCK) break;
        fd_set set;
        FD_ZERO(&set);
        FD_SET(s, &set);
        timeval tv{0, 20000};
        select(0, nullptr, &set, nullptr, &tv);
    }
    nonBlocking = 0;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    return bytes.empty();
}

std::string ReadRequest(SOCKET s, const std::atomic<bool>& stop, int maxMs,
                        const std::function<void(std::string_view)>& seen) {
    std::string raw;
    char buf[4096];
    const auto until = Deadline(maxMs);
    while (!stop && Clock::now() < until && raw.find("\r\n\r\n") == std::string::npos &&
           raw.find("\n\n") == std::string::npos) {
        if (!Readable(s, 20)) continue;
        int n = recv(s, buf, sizeof buf, 0);
        if (n <= 0) break;
        raw.append(buf, static_cast<size_t>(n));
        if (seen) seen(std::string_view(buf, static_cast<size_t>(n)));
    }
    return raw;
}

bool ReadUntilClose(SOCKET s, const std::atomic<bool>& stop, int maxMs,
                    const std::function<void(std::string_view)>& seen) {
    char buf[4096];
    const auto until = Deadline(maxMs);
    while (!stop && Clock::now() < until) {
        if (!Readable(s, 20)) continue;
        int n = recv(s, buf, sizeof buf, 0);
        if (n <= 0) return true;
        if (seen) seen(std::string_view(buf, static_cast<size_t>(n)));
    }
    return !stop;
}

struct Listener::Acceptor {
    struct Connection {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::vector<Connection> connections;  // the acceptor thread's own
    std::thread thread;
};

Listener::Listener(const char* who, uint16_t port, Threads threads, Serve serve)
    : threads_(threads), serve_(std::move(serve)), acceptor_(std::make_unique<Acceptor>()) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET l = BoundToLoopback(port);
    if (l == INVALID_SOCKET || listen(l, SOMAXCONN) != 0) {
        if (l != INVALID_SOCKET) closesocket(l);
        WSACleanup();
        throw std::runtime_error(std::string(who) + ": cannot listen on 127.0.0.1:" + std::to_string(port));
    }
    socket_ = l;
    port_ = PortOf(l);
    acceptor_->thread = std::thread([this] { Run(); });
}

Listener::~Listener() {
    stop_ = true;
    acceptor_->thread.join();
    closesocket(socket_);
    WSACleanup();
}

void Listener::Run() {
    auto& connections = acceptor_->connections;
    for (size_t index = 0; !stop_;) {
        for (auto it = connections.begin(); it != connections.end();) {
            if (*it->done) {
                it->thread.join();
                it = connections.erase(it);
            } else {
                ++it;
            }
        }
        if (!Readable(socket_, 20)) continue;
        SOCKET s = accept(socket_, nullptr, nullptr);
        if (s == INVALID_SOCKET) continue;
        if (threads_ == Threads::OneAtATime) {
            serve_(s, index++, stop_);
            closesocket(s);
            continue;
        }
        auto done = std::make_shared<std::atomic<bool>>(false);
        connections.push_back({std::thread([this, s, i = index++, done] {
                                   serve_(s, i, stop_);
                                   closesocket(s);
                                   *done = true;
                               }),
                               done});
    }
    for (auto& c : connections) c.thread.join();
}

uint16_t UnusedPort() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET s = BoundToLoopback(0);
    uint16_t port = s == INVALID_SOCKET ? 0 : PortOf(s);
    if (s != INVALID_SOCKET) closesocket(s);
    WSACleanup();
    return port;
}

SilentListener::SilentListener() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    socket_ = BoundToLoopback(0);
    u_long nonBlocking = 1;
    if (socket_ == INVALID_SOCKET || listen(socket_, SOMAXCONN) != 0 ||
        ioctlsocket(socket_, FIONBIO, &nonBlocking) != 0) {
        if (socket_ != INVALID_SOCKET) closesocket(socket_);
        WSACleanup();
        throw std::runtime_error("silent listener: cannot listen on 127.0.0.1");
    }
    port_ = PortOf(socket_);
}

SilentListener::~SilentListener() {
    for (SOCKET s : taken_) closesocket(s);
    closesocket(socket_);
    WSACleanup();
}

int SilentListener::Accept() {
    for (SOCKET s; (s = accept(socket_, nullptr, nullptr)) != INVALID_SOCKET;) {
        u_long nonBlocking = 1;
        ioctlsocket(s, FIONBIO, &nonBlocking);
        taken_.push_back(s);
        closed_.push_back(false);
    }
    return static_cast<int>(taken_.size());
}

int SilentListener::Open() {
    int open = 0;
    char buffer[512];
    for (size_t i = 0; i < taken_.size(); ++i) {
        int n;
        while ((n = recv(taken_[i], buffer, sizeof buffer, 0)) > 0) {
        }
        if (n == 0 || WSAGetLastError() != WSAEWOULDBLOCK) closed_[i] = true;
        open += !closed_[i];
    }
    return open;
}

}  // namespace qbtest::tcp
