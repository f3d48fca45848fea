#pragma once
// A window timer: OnTimer runs on the thread that created the timer, from its
// message loop, each Interval milliseconds while Enabled.
#include <windows.h>

#include <functional>

#include "base/Handles.h"

namespace net {

class TThreadTimer {
public:
    TThreadTimer();
    ~TThreadTimer();
    TThreadTimer(const TThreadTimer&) = delete;
    TThreadTimer& operator=(const TThreadTimer&) = delete;

    // Setting a value that the timer already has changes nothing: a running
    // timer is not restarted.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    UINT Interval() const { return interval_; }
    void SetInterval(UINT ms);
    void SetOnTimer(std::function<void()> handler);
    // Interval and Enabled = true in one change.
    void Start(UINT ms);
    // Starts counting ms afresh, also when running with that interval already.
    void Restart(UINT ms);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    // Kills the timer and sets it again when it should run; throws "No Timer".
    void UpdateTimer();

    bool enabled_ = true;
    UINT interval_ = 1000;
    bool armed_ = false;  // SetTimer is in force
    std::function<void()> onTimer_;
    base::UniqueHwnd window_;
};

}  // namespace net
