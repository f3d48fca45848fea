#include "net/ThreadTimer.h"

#include "base/MessageWindow.h"
#include "base/Error.h"

namespace net {

namespace {
constexpr UINT_PTR kTimerId = 1;
}

TThreadTimer::TThreadTimer() : window_(base::CreateMessageWindow(L"TmrWindowClass", WindowProc, this)) {}

TThreadTimer::~TThreadTimer() {
    if (window_ && armed_) KillTimer(window_.get(), kTimerId);
}

void TThreadTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    UpdateTimer();
}

void TThreadTimer::SetInterval(UINT ms) {
    if (ms == interval_) return;
    interval_ = ms;
    UpdateTimer();
}

void TThreadTimer::SetOnTimer(std::function<void()> handler) {
    onTimer_ = std::move(handler);
    UpdateTimer();
}

void TThreadTimer::Start(UINT ms) {
    if (enabled_ && ms == interval_) return;
    enabled_ = true;
    interval_ = ms;
    UpdateTimer();
}

void TThreadTimer::Restart(UINT ms) {
    enabled_ = true;
    interval_ = ms;
    // SetTimer on a set timer replaces it: no KillTimer first.
    if (ms != 0 && onTimer_ && !SetTimer(window_.get(), kTimerId, ms, nullptr)) throw Exception("No Timer");
    armed_ = armed_ || (ms != 0 && onTimer_);
}

void TThreadTimer::UpdateTimer() {
    if (armed_) {
        KillTimer(window_.get(), kTimerId);
        armed_ = false;
    }
    if (interval_ != 0 && enabled_ && onTimer_) {
        if (!SetTimer(window_.get(), kTimerId, interval_, nullptr)) throw Exception("No Timer");
        armed_ = true;
    }
}

LRESULT CALLBACK TThreadTimer::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER && wp == kTimerId) {
        auto* self = reinterpret_cast<TThreadTimer*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self && self->onTimer_) {
            // Copied: the handler may replace OnTimer or destroy the timer.
            auto handler = self->onTimer_;
            base::Guarded([&] { handler(); });
        }
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace net
