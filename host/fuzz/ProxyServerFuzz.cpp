// The registry's ProxyServer value: split and rebuilt, it is the same text,
// and a new address changes only the HTTP entry.
#include <string>

#include "FuzzInput.h"
#include "browsers/ProxyServerText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    std::string_view address = in.Next();
    std::string_view value = in.Rest();

    ProxyServerParts parts = SplitProxyServer(value);
    FUZZ_CHECK(JoinProxyServer(parts) == value);
    FUZZ_CHECK(parts.address.find(';') == std::string::npos || parts.prefix.empty());
    FUZZ_CHECK(parts.suffix.empty() || parts.suffix[0] == ';');
    // The HTTP entry starts the value or follows a ";", as WinINet reads it.
    FUZZ_CHECK(parts.prefix.empty() || parts.prefix == "http=" || parts.prefix.ends_with(";http="));

    if (address.find(';') == std::string_view::npos && address.find("http=") == address.npos) {
        ProxyServerParts changed = parts;
        changed.address = address;
        std::string rebuilt = JoinProxyServer(changed);
        ProxyServerParts again = SplitProxyServer(rebuilt);
        FUZZ_CHECK(again.prefix == parts.prefix);
        FUZZ_CHECK(again.suffix == parts.suffix);
        FUZZ_CHECK(again.address == address);
    }
    return 0;
}
