#pragma once
// Next Proxy on plain values: which listed proxy to switch to when the one in
// use fails, and what the user is told when the watch finds it gone. Pure; no
// Win32 types.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nextproxy {

// Whether two texts name the same proxy: host names match in any case.
bool SameAddress(std::string_view a, std::string_view b);

// What the last check of the list heard from one entry.
struct Heard {
    bool answered = false;
    uint32_t ms = 0;  // how long it took, when it answered
};

// The entry to switch to, as an index into entries. heard[i] belongs to
// entries[i]; entries past its end (the check has not reached them, or there
// was no check) did not answer. The candidates are the entries that answered,
// fastest first, equal times in list order. The pick is the candidate after
// the address in use in that order, wrapping from the slowest to the fastest,
// or the fastest when the address in use is no candidate; never an entry that
// reads as the address in use (host names match in any case). nullopt when no
// other candidate is left.
std::optional<size_t> NextAnswering(const std::vector<std::string>& entries, const std::vector<Heard>& heard,
                                    std::string_view inUse);

// What the user is told when the watch has had two failures in a row.
// "<address> stopped answering."
std::string StoppedAnswering(std::string_view address);
// The sentence after it when the program switched: "Switched to <next>."
std::string SwitchedTo(std::string_view next);
// The sentence after it when there was nothing to switch to.
inline constexpr char kNoOtherAnswered[] = "No other listed proxy answered in the last check.";

}  // namespace nextproxy
