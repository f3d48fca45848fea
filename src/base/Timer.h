#pragma once
// A millisecond window timer: onTimer runs on the thread that made the timer,
// from its message loop, every Interval milliseconds while enabled. Each
// timer has a message-only window of its own, so no owner's window procedure
// has to route WM_TIMER by id.
#include <windows.h>

#include <functional>

#include "base/Handles.h"

namespace base {

class Timer {
public:
    Timer();
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    std::function<void()> onTimer;

    // Setting a value that the timer already has changes nothing: a running
    // timer is not restarted. Throws Exception "No Timer" when refused.
    void SetInterval(UINT ms);
    UINT Interval() const { return interval_; }
    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }
    // Enabled with ms, counting afresh also when it already runs with ms.
    void Restart(UINT ms);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    // Kills the timer and sets it again when it should run.
    void Arm();

    UINT interval_ = 1000;
    bool enabled_ = false;
    bool armed_ = false;  // SetTimer is in force
    UniqueHwnd window_;
};

}  // namespace base
