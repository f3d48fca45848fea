// Included by the demo's provider program as well as compiled into the test
// support library, hence the header named relative to this file.
#include "StandInProxy.h"

#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace qbtest {

struct StandInProxy::State {
    Kind kind;
    int delayMs;
    SOCKET listener = INVALID_SOCKET;
    uint16_t port = 0;
    std::atomic<bool> stop{false};
    std::atomic<int> accepted{0};
    std::atomic<int> open{0};
    mutable std::mutex mutex;
    std::vector<std::string> requests;
    struct Connection {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::vector<Connection> connections;  // the acceptor thread's own
    std::thread acceptor;

    bool Readable(SOCKET s, int ms) const {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(s, &set);
        timeval tv{ms / 1000, (ms % 1000) * 1000};
        return select(0, &set, nullptr, nullptr, &tv) > 0;
    }

    // Reads until the client closes (or the proxy stops); false on the stop.
    bool WaitForClose(SOCKET s, size_t index) {
        char buf[4096];
        while (!stop) {
            if (!Readable(s, 20)) continue;
            int n = recv(s, buf, sizeof buf, 0);
            if (n <= 0) return true;
            std::lock_guard lock(mutex);
            requests[index].append(buf, static_cast<size_t>(n));
        }
        return false;
    }

    void ReadRequest(SOCKET s, size_t index) {
        char buf[4096];
        std::string seen;
        while (!stop && seen.find("\r\n\r\n") == std::string::npos) {
            if (!Readable(s, 20)) continue;
            int n = recv(s, buf, sizeof buf, 0);
            if (n <= 0) return;
            seen.append(buf, static_cast<size_t>(n));
            std::lock_guard lock(mutex);
            requests[index].append(buf, static_cast<size_t>(n));
        }
    }

    // Sends until everything is out, the client has gone, or the proxy stops.
    bool SendAll(SOCKET s, const std::string& bytes) {
        for (size_t at = 0; at < bytes.size() && !stop;) {
            int n =
                send(s, bytes.data() + at, static_cast<int>(std::min<size_t>(bytes.size() - at, 65536)), 0);
            if (n <= 0) return false;
            at += static_cast<size_t>(n);
        }
        return !stop;
    }

    void Serve(SOCKET s, size_t index) {
        ReadRequest(s, index);
        switch (kind) {
            case Kind::Answers:
                if (delayMs > 0) Sleep(static_cast<DWORD>(delayMs));
                if (SendAll(s, "HTTP/1.0 200 OK\r\nServer: stand-in\r\n\r\n")) shutdown(s, SD_SEND);
                break;
            case Kind::EndlessLine:
                if (SendAll(s, "HTTP/1.0 200 "))
                    while (SendAll(s, std::string(4096, 'x'))) {
                    }
                break;
            case Kind::Garbage: {
                std::string noise(3000, '\0');
                for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 167 + 13) % 256);
                SendAll(s, noise);
                break;
            }
            case Kind::TenMiB: {
                std::string lines;
                while (lines.size() < (size_t{10} << 20))
                    lines += "<p>This is a web page, not a proxy.</p>\n";
                SendAll(s, lines);
                break;
            }
            case Kind::Silent:
            case Kind::ClosesAtOnce: break;
        }
        if (kind != Kind::ClosesAtOnce) WaitForClose(s, index);
    }

    void Run() {
        while (!stop) {
            for (auto it = connections.begin(); it != connections.end();) {
                if (*it->done) {
                    it->thread.join();
                    it = connections.erase(it);
                } else {
                    ++it;
                }
            }
            if (!Readable(listener, 20)) continue;
            SOCKET s = accept(listener, nullptr, nullptr);
            if (s == INVALID_SOCKET) continue;
            size_t index;
            {
                std::lock_guard lock(mutex);
                index = requests.size();
                requests.emplace_back();
            }
            ++accepted;
            ++open;
            auto done = std::make_shared<std::atomic<bool>>(false);
            connections.push_back({std::thread([this, s, index, done] {
                                       Serve(s, index);
                                       closesocket(s);
                                       --open;
                                       *done = true;
                                   }),
                                   done});
        }
        for (auto& c : connections) c.thread.join();
    }
};

StandInProxy::StandInProxy(Kind kind, int answerDelayMs) : state_(std::make_shared<State>()) {
    state_->kind = kind;
    state_->delayMs = answerDelayMs;
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET l = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (l == INVALID_SOCKET || bind(l, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        listen(l, SOMAXCONN) != 0) {
        if (l != INVALID_SOCKET) closesocket(l);
        WSACleanup();
        throw std::runtime_error("stand-in proxy: cannot listen");
    }
    int len = sizeof addr;
    getsockname(l, reinterpret_cast<sockaddr*>(&addr), &len);
    state_->listener = l;
    state_->port = ntohs(addr.sin_port);
    state_->acceptor = std::thread([s = state_.get()] { s->Run(); });
}

StandInProxy::~StandInProxy() {
    state_->stop = true;
    state_->acceptor.join();
    closesocket(state_->listener);
    WSACleanup();
}

uint16_t StandInProxy::Port() const { return state_->port; }
std::string StandInProxy::Entry() const { return "127.0.0.1:" + std::to_string(state_->port); }
int StandInProxy::Accepted() const { return state_->accepted; }
int StandInProxy::Open() const { return state_->open; }

std::vector<std::string> StandInProxy::Requests() const {
    std::lock_guard lock(state_->mutex);
    return state_->requests;
}

}  // namespace qbtest
