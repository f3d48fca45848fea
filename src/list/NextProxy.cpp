#include "list/NextProxy.h"

#include <algorithm>

namespace nextproxy {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool SameAddress(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

std::optional<size_t> NextAnswering(const std::vector<std::string>& entries, const std::vector<Heard>& heard,
                                    std::string_view inUse) {
    std::vector<size_t> order;
    for (size_t i = 0; i < std::min(entries.size(), heard.size()); ++i)
        if (heard[i].answered) order.push_back(i);
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return heard[a].ms < heard[b].ms; });

    auto inUseAt =
        std::find_if(order.begin(), order.end(), [&](size_t i) { return SameAddress(entries[i], inUse); });
    const size_t start = inUseAt == order.end() ? 0 : static_cast<size_t>(inUseAt - order.begin()) + 1;
    // The address in use may be listed twice: its other places are skipped too.
    for (size_t step = 0; step < order.size(); ++step) {
        const size_t candidate = order[(start + step) % order.size()];
        if (!SameAddress(entries[candidate], inUse)) return candidate;
    }
    return std::nullopt;
}

std::string StoppedAnswering(std::string_view address) {
    return std::string(address) + " stopped answering.";
}

std::string SwitchedTo(std::string_view next) { return "Switched to " + std::string(next) + "."; }

}  // namespace nextproxy
