#pragma once
// Cuts one fuzz input into the several texts a target needs: the parts are
// separated by a NUL byte, so seeds stay readable and the fuzzer can move the
// boundaries by inserting or deleting one byte.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace fuzz {

class Input {
public:
    Input(const uint8_t* data, size_t size) : rest_(reinterpret_cast<const char*>(data), size) {}

    // The text up to the next NUL (or the end), consumed with the NUL.
    std::string_view Next() {
        size_t nul = rest_.find('\0');
        std::string_view part = rest_.substr(0, nul);
        rest_ = nul == rest_.npos ? std::string_view() : rest_.substr(nul + 1);
        return part;
    }
    // One byte as a small number, 0 when the input is used up.
    uint8_t Byte() {
        if (rest_.empty()) return 0;
        uint8_t b = static_cast<uint8_t>(rest_[0]);
        rest_.remove_prefix(1);
        return b;
    }
    std::string_view Rest() const { return rest_; }

private:
    std::string_view rest_;
};

// A failed property: abort so that libFuzzer keeps the input as a crash.
inline void Fail(const char* what, int line) {
    std::fprintf(stderr, "property failed at line %d: %s\n", line, what);
    std::abort();
}

}  // namespace fuzz

#define FUZZ_CHECK(condition) ((condition) ? static_cast<void>(0) : ::fuzz::Fail(#condition, __LINE__))

namespace fuzz {}  // namespace fuzz
