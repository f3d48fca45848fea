// The binary connection settings: a readable value composes back to its own
// bytes, and following the plain values changes only the proxy flag, the
// server and the counter of a readable value, and always yields a readable one.
#include <string>

#include "FuzzInput.h"
#include "browsers/ConnectionSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    uint8_t choice = in.Byte();
    PlainProxyValues plain;
    plain.enabled = choice & 1;
    std::string_view server = in.Next();
    if (!(choice & 2)) plain.proxyServer = std::string(server);
    plain.autoConfigUrl = in.Next();
    std::string stored(in.Rest());

    std::optional<ConnectionSettings> before = ParseConnectionSettings(stored);
    if (before) FUZZ_CHECK(ComposeConnectionSettings(*before) == stored);

    std::optional<ConnectionSettings> after = ParseConnectionSettings(FollowPlainValues(stored, plain));
    FUZZ_CHECK(after.has_value());
    FUZZ_CHECK(((after->flags & ConnectionSettings::kManualProxy) != 0) == plain.enabled);
    if (plain.proxyServer) FUZZ_CHECK(after->proxyServer == *plain.proxyServer);
    if (before) {
        FUZZ_CHECK(after->version == before->version);
        FUZZ_CHECK(after->counter == static_cast<uint32_t>(before->counter + 1));
        FUZZ_CHECK((after->flags | ConnectionSettings::kManualProxy) ==
                   (before->flags | ConnectionSettings::kManualProxy));
        FUZZ_CHECK(after->bypassList == before->bypassList && after->autoConfigUrl == before->autoConfigUrl);
        FUZZ_CHECK(after->tail == before->tail);
        if (!plain.proxyServer) FUZZ_CHECK(after->proxyServer == before->proxyServer);
    } else {
        FUZZ_CHECK(after->counter == 1 && after->tail == std::string(32, '\0'));
    }
    return 0;
}
