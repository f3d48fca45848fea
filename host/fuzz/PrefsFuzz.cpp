// prefs.js rewrites: whatever the file holds, every line that is not ours
// comes through unchanged and in order, and the file reads back what was written.
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "browsers/PrefsText.h"

namespace {

// Line bodies as the adapter sees them: split at LF, a CR before it dropped.
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

// The bodies of `text` that `keep` accepts appear in `out` in the same order.
template <typename Keep>
void CheckKept(std::string_view text, std::string_view out, Keep keep) {
    std::vector<std::string_view> after = Bodies(out);
    size_t j = 0;
    for (std::string_view body : Bodies(text)) {
        if (!keep(body)) continue;
        while (j < after.size() && after[j] != body) ++j;
        FUZZ_CHECK(j < after.size());
        ++j;
    }
}

bool PlainHost(std::string_view host) {
    for (char c : host) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                  c == '-';
        if (!ok) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    std::string_view address = in.Next();
    std::string_view text = in.Rest();

    prefs::ReadServer(text);
    for (std::string_view body : Bodies(text)) {
        prefs::HostValue(body);
        prefs::PortValue(body);
    }

    std::string on = prefs::RewriteProxyType(text, 1);
    FUZZ_CHECK(prefs::ReadEnabled(on) == 1);
    CheckKept(text, on, [](std::string_view) { return true; });
    std::string off = prefs::RewriteProxyType(text, 0);
    FUZZ_CHECK(prefs::ReadEnabled(off) == 0);
    CheckKept(text, off, [](std::string_view b) { return !prefs::IsProxyTypeLine(b); });

    std::optional<std::string> server = prefs::RewriteServer(text, address);
    if (server) {
        CheckKept(text, *server,
                  [](std::string_view b) { return !prefs::IsHostLine(b) && !prefs::IsPortLine(b); });
        size_t colon = address.find(':');
        bool oursAbsent = true;
        for (std::string_view b : Bodies(text)) {
            if (prefs::IsHostLine(b) || prefs::IsPortLine(b)) oursAbsent = false;
        }
        if (oursAbsent && PlainHost(address.substr(0, colon))) {
            FUZZ_CHECK(prefs::ReadServer(*server) == address);
        }
        // Writing the same address again changes nothing.
        FUZZ_CHECK(prefs::RewriteServer(*server, address) == server);
    }
    return 0;
}
