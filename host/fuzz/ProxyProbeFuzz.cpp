// The two judgements made on what others send: a list entry (is it a proxy
// to connect to?) and a proxy's first bytes (a status line or not?).
#include <string>

#include "FuzzInput.h"
#include "list/ProxyProbe.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const probe::Answer whole = probe::JudgeAnswer(bytes);
    // A verdict, once given, stands whatever arrives after it.
    for (size_t cut = 0; cut < size; cut += 1 + cut / 8) {
        const probe::Answer part = probe::JudgeAnswer(bytes.substr(0, cut));
        if (part != probe::Answer::Pending) FUZZ_CHECK(part == whole);
    }
    if (size >= probe::kMaxAnswerBytes) FUZZ_CHECK(whole != probe::Answer::Pending);
    if (whole == probe::Answer::StatusLine) {
        FUZZ_CHECK(bytes.substr(0, 5) == "HTTP/");
        FUZZ_CHECK(bytes.substr(0, probe::kMaxAnswerBytes).find('\n') != std::string_view::npos);
    }

    if (std::optional<probe::ProxyAddress> a = probe::SplitProxyEntry(bytes)) {
        FUZZ_CHECK(a->port >= 1);
        FUZZ_CHECK(!a->host.empty() && bytes.substr(0, a->host.size()) == a->host);
        FUZZ_CHECK(bytes[a->host.size()] == ':');
        FUZZ_CHECK(a->host.find_first_of(": \t\r\n/") == std::string::npos);
        if (a->dotted) FUZZ_CHECK(a->host.find_first_not_of("0123456789.") == std::string::npos);
    }
    return 0;
}
