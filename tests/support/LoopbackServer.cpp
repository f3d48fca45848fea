#include "support/LoopbackServer.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace qbtest {

Reply& Reply::Send(std::string bytes) {
    steps_.push_back({Step::Send, std::move(bytes)});
    return *this;
}
Reply& Reply::SendInPieces(std::string bytes, size_t piece, int pauseMs) {
    steps_.push_back({Step::Send, std::move(bytes), piece, pauseMs});
    return *this;
}
Reply& Reply::Pause(int ms) {
    steps_.push_back({Step::Pause, {}, 0, ms});
    return *this;
}
Reply& Reply::Stall() {
    steps_.push_back({Step::Stall, {}});
    return *this;
}
Reply& Reply::Reset() {
    steps_.push_back({Step::Reset, {}});
    return *this;
}
Reply& Reply::DontReadRequest() {
    readRequest_ = false;
    return *this;
}

std::string HttpResponse(const std::string& status, const std::vector<std::string>& headers,
                         const std::string& body) {
    std::string out = "HTTP/1.0 " + status + "\r\n";
    for (const auto& h : headers) out += h + "\r\n";
    out += "\r\n";
    out += body;
    return out;
}

struct LoopbackServer::State {
    std::vector<Reply> replies;
    SOCKET listener = INVALID_SOCKET;
    uint16_t port = 0;
    std::atomic<bool> stop{false};
    mutable std::mutex mutex;
    std::vector<std::string> requests;
    int accepted = 0;
    int served = 0;
    std::thread thread;

    void Record(size_t index, const char* data, int n) {
        std::lock_guard lock(mutex);
        requests[index].append(data, static_cast<size_t>(n));
    }

    // Waits up to ms for the socket to become readable; false on stop.
    bool Readable(SOCKET s, int ms) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(s, &set);
        timeval tv{ms / 1000, (ms % 1000) * 1000};
        return select(0, &set, nullptr, nullptr, &tv) > 0;
    }

    void ReadRequest(SOCKET s, size_t index) {
        std::string seen;
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        char buf[4096];
        while (!stop && std::chrono::steady_clock::now() < until) {
            if (!Readable(s, 20)) continue;
            int n = recv(s, buf, sizeof buf, 0);
            if (n <= 0) return;
            Record(index, buf, n);
            seen.append(buf, static_cast<size_t>(n));
            if (seen.find("\r\n\r\n") != std::string::npos || seen.find("\n\n") != std::string::npos) return;
        }
    }

    bool SendAll(SOCKET s, const char* data, size_t size) {
        while (size > 0 && !stop) {
            int n = send(s, data, static_cast<int>(std::min<size_t>(size, 1 << 20)), 0);
            if (n <= 0) return false;
            data += n;
            size -= static_cast<size_t>(n);
        }
        return size == 0;
    }

    void Serve(SOCKET s, const Reply& reply, size_t index) {
        BOOL noDelay = TRUE;
        setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
        if (reply.ReadsRequest()) ReadRequest(s, index);
        bool reset = false;
        for (const auto& step : reply.Steps()) {
            if (stop) break;
            switch (step.kind) {
                case Reply::Step::Send:
                    if (step.piece == 0) {
                        if (!SendAll(s, step.bytes.data(), step.bytes.size())) return;
                    } else {
                        for (size_t at = 0; at < step.bytes.size() && !stop; at += step.piece) {
                            size_t len = std::min(step.piece, step.bytes.size() - at);
                            if (!SendAll(s, step.bytes.data() + at, len)) return;
                            if (step.ms > 0) Sleep(static_cast<DWORD>(step.ms));
                        }
                    }
                    break;
                case Reply::Step::Pause: Sleep(static_cast<DWORD>(step.ms)); break;
                case Reply::Step::Stall: {
                    char buf[4096];
                    while (!stop) {
                        if (!Readable(s, 20)) continue;
                        int n = recv(s, buf, sizeof buf, 0);
                        if (n <= 0) break;
                        Record(index, buf, n);
                    }
                    break;
                }
                case Reply::Step::Reset: reset = true; break;
            }
        }
        if (reset) {
            LINGER lingerOff{1, 0};
            setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&lingerOff), sizeof lingerOff);
        } else {
            shutdown(s, SD_SEND);
        }
    }

    void Run() {
        while (!stop) {
            if (!Readable(listener, 20)) continue;
            SOCKET s = accept(listener, nullptr, nullptr);
            if (s == INVALID_SOCKET) continue;
            size_t index;
            {
                std::lock_guard lock(mutex);
                index = requests.size();
                requests.emplace_back();
                ++accepted;
            }
            const Reply& reply = replies[std::min(index, replies.size() - 1)];
            Serve(s, reply, index);
            closesocket(s);
            std::lock_guard lock(mutex);
            ++served;
        }
    }
};

LoopbackServer::LoopbackServer(std::vector<Reply> replies) : state_(std::make_shared<State>()) {
    if (replies.empty()) replies.emplace_back();
    state_->replies = std::move(replies);
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET l = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (l == INVALID_SOCKET || bind(l, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        listen(l, 16) != 0) {
        if (l != INVALID_SOCKET) closesocket(l);
        WSACleanup();
        throw std::runtime_error("loopback server: cannot listen");
    }
    int len = sizeof addr;
    getsockname(l, reinterpret_cast<sockaddr*>(&addr), &len);
    state_->listener = l;
    state_->port = ntohs(addr.sin_port);
    state_->thread = std::thread([s = state_] { s->Run(); });
}

LoopbackServer::~LoopbackServer() {
    state_->stop = true;
    state_->thread.join();
    closesocket(state_->listener);
    WSACleanup();
}

uint16_t LoopbackServer::Port() const { return state_->port; }

std::string LoopbackServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(state_->port) + path;
}

int LoopbackServer::Connections() const {
    std::lock_guard lock(state_->mutex);
    return state_->accepted;
}

std::vector<std::string> LoopbackServer::Requests() const {
    std::lock_guard lock(state_->mutex);
    return state_->requests;
}

bool LoopbackServer::WaitServed(int count, int ms) const {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < until) {
        {
            std::lock_guard lock(state_->mutex);
            if (state_->served >= count) return true;
        }
        Sleep(5);
    }
    return false;
}

uint16_t LoopbackServer::UnusedPort() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    int len = sizeof addr;
    getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
    closesocket(s);
    WSACleanup();
    return ntohs(addr.sin_port);
}

}  // namespace qbtest
