// Included by the demo's provider program as well as compiled into the test
// support library, hence the header named relative to this file.
#include "StandInProxy.h"

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <mutex>

#include "TcpServer.h"

namespace qbtest {

struct StandInProxy::State {
    std::atomic<Kind> kind;
    int delayMs;
    std::atomic<int> accepted{0};
    std::atomic<int> open{0};
    mutable std::mutex mutex;
    std::vector<std::string> requests;
    std::vector<Kind> script;
    // Last: it stops and joins the connections' threads before the rest goes.
    std::unique_ptr<tcp::Listener> listener;

    void Serve(SOCKET s, size_t index, const std::atomic<bool>& stop) {
        ++accepted;
        ++open;
        {
            std::lock_guard lock(mutex);
            if (requests.size() <= index) requests.resize(index + 1);
        }
        auto record = [this, index](std::string_view bytes) {
            std::lock_guard lock(mutex);
            requests[index].append(bytes);
        };
        tcp::ReadRequest(s, stop, -1, record);
        Kind kind = this->kind;
        {
            std::lock_guard lock(mutex);
            if (index < script.size()) kind = script[index];
        }
        switch (kind) {
            case Kind::Answers:
                if (delayMs > 0) Sleep(static_cast<DWORD>(delayMs));
                if (tcp::SendAll(s, "HTTP/1.0 200 OK\r\nServer: stand-in\r\n\r\n", stop))
                    shutdown(s, SD_SEND);
                break;
            case Kind::EndlessLine: {
                const std::string more(4096, 'x');
                if (tcp::SendAll(s, "HTTP/1.0 200 ", stop))
                    while (tcp::SendAll(s, more, stop)) {
                    }
                break;
            }
            case Kind::Garbage: {
                std::string noise(3000, '\0');
                for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 167 + 13) % 256);
                tcp::SendAll(s, noise, stop);
                break;
            }
            case Kind::TenMiB: {
                std::string lines;
                while (lines.size() < (size_t{10} << 20))
                    lines += "<p>This is a web page, not a proxy.</p>\n";
                tcp::SendAll(s, lines, stop);
                break;
            }
            case Kind::Silent:
            case Kind::ClosesAtOnce: break;
        }
        if (kind != Kind::ClosesAtOnce) tcp::ReadUntilClose(s, stop, -1, record);
        --open;
    }
};

StandInProxy::StandInProxy(Kind kind, int answerDelayMs) : state_(std::make_shared<State>()) {
    state_->kind = kind;
    state_->delayMs = answerDelayMs;
    state_->listener = std::make_unique<tcp::Listener>(
        "stand-in proxy", 0, tcp::Listener::Threads::OnePerConnection,
        [s = state_.get()](SOCKET socket, size_t index, const std::atomic<bool>& stop) {
            s->Serve(socket, index, stop);
        });
}

StandInProxy::~StandInProxy() { state_->listener.reset(); }

void StandInProxy::SetKind(Kind kind) { state_->kind = kind; }

void StandInProxy::Script(std::vector<Kind> kinds) {
    std::lock_guard lock(state_->mutex);
    state_->script = std::move(kinds);
}

uint16_t StandInProxy::Port() const { return state_->listener->Port(); }
std::string StandInProxy::Entry() const { return "127.0.0.1:" + std::to_string(Port()); }
int StandInProxy::Accepted() const { return state_->accepted; }
int StandInProxy::Open() const { return state_->open; }

std::vector<std::string> StandInProxy::Requests() const {
    std::lock_guard lock(state_->mutex);
    return state_->requests;
}

}  // namespace qbtest
