#include "support/LoopbackServer.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>
#include <mutex>

#include "support/TcpServer.h"

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
    mutable std::mutex mutex;
    std::vector<std::string> requests;
    int accepted = 0;
    int served = 0;
    // Last: it stops and joins its thread before the rest goes.
    std::unique_ptr<tcp::Listener> listener;

    void Record(size_t index, std::string_view bytes) {
        std::lock_guard lock(mutex);
        requests[index].append(bytes);
    }

    void Serve(SOCKET s, size_t index, const std::atomic<bool>& stop) {
        {
            std::lock_guard lock(mutex);
            requests.emplace_back();
            ++accepted;
        }
        const Reply& reply = replies[std::min(index, replies.size() - 1)];
        auto record = [this, index](std::string_view bytes) { Record(index, bytes); };
        BOOL noDelay = TRUE;
        setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
        if (reply.ReadsRequest()) tcp::ReadRequest(s, stop, 5000, record);
        bool reset = false;
        bool sending = true;
        for (const auto& step : reply.Steps()) {
            if (stop || !sending) break;
            switch (step.kind) {
                case Reply::Step::Send: {
                    std::string_view bytes = step.bytes;
                    size_t piece = step.piece == 0 ? bytes.size() : step.piece;
                    for (size_t at = 0; at < bytes.size() && sending && !stop; at += piece) {
                        sending = tcp::SendAll(s, bytes.substr(at, piece), stop);
                        if (step.piece != 0 && step.ms > 0) Sleep(static_cast<DWORD>(step.ms));
                    }
                    break;
                }
                case Reply::Step::Pause: Sleep(static_cast<DWORD>(step.ms)); break;
                case Reply::Step::Stall: tcp::ReadUntilClose(s, stop, -1, record); break;
                case Reply::Step::Reset: reset = true; break;
            }
        }
        if (sending) {
            if (reset) {
                LINGER lingerOff{1, 0};
                setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&lingerOff),
                           sizeof lingerOff);
            } else {
                shutdown(s, SD_SEND);
            }
        }
        std::lock_guard lock(mutex);
        ++served;
    }
};

LoopbackServer::LoopbackServer(std::vector<Reply> replies) : state_(std::make_shared<State>()) {
    if (replies.empty()) replies.emplace_back();
    state_->replies = std::move(replies);
    state_->listener = std::make_unique<tcp::Listener>(
        "loopback server", 0, tcp::Listener::Threads::OneAtATime,
        [s = state_.get()](SOCKET socket, size_t index, const std::atomic<bool>& stop) {
            s->Serve(socket, index, stop);
        });
}

LoopbackServer::~LoopbackServer() { state_->listener.reset(); }

uint16_t LoopbackServer::Port() const { return state_->listener->Port(); }

std::string LoopbackServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(Port()) + path;
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

uint16_t LoopbackServer::UnusedPort() { return tcp::UnusedPort(); }

}  // namespace qbtest
