#pragma once
// One move-only owner for every kind of handle.
#include <utility>

namespace base {

template <typename H, auto Close, H Invalid = H{}>
class Owned {
public:
    Owned() = default;
    explicit Owned(H h) : h_(h) {}
    ~Owned() { reset(); }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Owned(Owned&& o) noexcept : h_(std::exchange(o.h_, Invalid)) {}
    Owned& operator=(Owned&& o) noexcept {
        if (this != &o) {
            reset();
            h_ = std::exchange(o.h_, Invalid);
        }
        return *this;
    }
    [[nodiscard]] H get() const { return h_; }
    [[nodiscard]] bool valid() const { return h_ != Invalid; }
    explicit operator bool() const { return valid(); }
    // Hands the handle over without closing it.
    [[nodiscard]] H release() { return std::exchange(h_, Invalid); }
    void reset(H h = Invalid) {
        if (h_ != Invalid) Close(h_);
        h_ = h;
    }
    // For out-parameters of the Win32 API: closes the old handle first.
    H* put() {
        reset();
        return &h_;
    }

private:
    H h_ = Invalid;
};

}  // namespace base
