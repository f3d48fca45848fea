#include "base/Timer.h"

#include "base/Error.h"
#include "base/MessageWindow.h"

namespace base {

namespace {
constexpr UINT_PTR kTimerId = 1;
}

Timer::Timer() : window_(CreateMessageWindow(L"TmrWindowClass", WindowProc, this)) {}

Timer::~Timer() {
    if (armed_) KillTimer(window_.get(), kTimerId);
}

void Timer::SetInterval(UINT ms) {
    if (ms == interval_) return;
    interval_ = ms;
    Arm();
}

void Timer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Arm();
}

void Timer::Restart(UINT ms) {
    enabled_ = true;
    interval_ = ms;
    // SetTimer on a timer in force replaces it: under Wine a KillTimer first
    // would be one more round trip to the wineserver.
    if (ms == 0) return Arm();
    if (!SetTimer(window_.get(), kTimerId, ms, nullptr)) throw Exception("No Timer");
    armed_ = true;
}

void Timer::Arm() {
    if (armed_) {
        KillTimer(window_.get(), kTimerId);
        armed_ = false;
    }
    if (!enabled_ || interval_ == 0) return;
    if (!SetTimer(window_.get(), kTimerId, interval_, nullptr)) throw Exception("No Timer");
    armed_ = true;
}

LRESULT CALLBACK Timer::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER && wp == kTimerId) {
        auto* self = reinterpret_cast<Timer*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self && self->onTimer) {
            // Copied: the handler may replace onTimer or destroy the timer.
            auto handler = self->onTimer;
            Guarded([&] { handler(); });
        }
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace base
