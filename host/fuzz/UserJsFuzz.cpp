// user.js rewrites: whatever the file holds, a line that does not name the
// proxy type comes through both rewrites unchanged and in order, writing the
// line a second time changes nothing, and a file that never held our line
// loses nothing when it is taken out.
#include <string>
#include <string_view>
#include <vector>

#include "FuzzInput.h"
#include "browsers/PrefsText.h"

namespace {

// Line bodies as the rules see them: split at LF, a CR before it dropped.
std::vector<std::string_view> Bodies(std::string_view text) {
    std::vector<std::string_view> out;
    size_t at = 0;
    while (at < text.size()) {
        size_t nl = text.find('\n', at);
        size_t stop = nl == text.npos ? text.size() : nl;
        std::string_view body = text.substr(at, stop - at);
        if (nl != text.npos && !body.empty() && body.back() == '\r') body.remove_suffix(1);
        out.push_back(body);
        at = nl == text.npos ? text.size() : nl + 1;
    }
    return out;
}

// Every line of `text` that does not mention the proxy type is in `out`, in order.
void CheckOthersKept(std::string_view text, std::string_view out) {
    std::vector<std::string_view> after = Bodies(out);
    size_t j = 0;
    for (std::string_view body : Bodies(text)) {
        if (body.find("network.proxy.type") != body.npos) continue;
        while (j < after.size() && after[j] != body) ++j;
        FUZZ_CHECK(j < after.size());
        ++j;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string on = prefs::WithSystemProxyLine(text);
    FUZZ_CHECK(on.find(prefs::kSystemProxyLine) != std::string::npos);
    FUZZ_CHECK(prefs::WithSystemProxyLine(on) == on);
    CheckOthersKept(text, on);
    std::string off = prefs::WithoutSystemProxyLine(on);
    CheckOthersKept(text, off);
    if (text.find(prefs::kSystemProxyLine) == text.npos)
        FUZZ_CHECK(prefs::WithoutSystemProxyLine(text) == text);
    return 0;
}
