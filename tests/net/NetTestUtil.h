#pragma once
// Small helpers shared by the socket and HTTP client tests.
#include <windows.h>

#include <functional>
#include <string>

namespace nettest {

// Process CPU time (user + kernel) in seconds.
inline double ProcessCpuSeconds() {
    FILETIME create, exit, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &create, &exit, &kernel, &user);
    auto value = [](FILETIME t) {
        return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return value(kernel) + value(user);
}

inline ULONGLONG NowMs() { return GetTickCount64(); }

// Runs fn once, from the message loop, after ms: the way a click or another
// timer of the program reaches a handler while a fetch waits.
class Later {
public:
    Later(UINT ms, std::function<void()> fn) : fn_(std::move(fn)) {
        Current() = this;
        id_ = SetTimer(nullptr, 0, ms, Proc);
    }
    ~Later() {
        KillTimer(nullptr, id_);
        if (Current() == this) Current() = nullptr;
    }
    bool Fired() const { return fired_; }

private:
    static Later*& Current() {
        static Later* current = nullptr;
        return current;
    }
    static void CALLBACK Proc(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        Later* self = Current();
        if (!self || self->fired_) return;
        self->fired_ = true;
        self->fn_();
    }
    std::function<void()> fn_;
    UINT_PTR id_ = 0;
    bool fired_ = false;
};

// The text of the exception fn raises, or "no exception".
template <typename E, typename Fn>
std::string ErrorOf(Fn&& fn) {
    try {
        fn();
    } catch (const E& e) {
        return e.what();
    }
    return "no exception";
}

}  // namespace nettest
