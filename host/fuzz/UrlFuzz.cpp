// Request addresses: the configured list addresses and every Location a
// server sends back.
#include <string>

#include "FuzzInput.h"
#include "net/SockErrors.h"
#include "net/Url.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    // An explicit port is taken as written (0 and 99999 included) and fails
    // only at connect, so the port is not checked here.
    int32_t currentPort = static_cast<int32_t>(in.Byte()) * 257;
    std::string currentHost(in.Next());
    std::string url(in.Rest());
    try {
        net::UrlParts parts = net::SplitUrl(url, currentHost, currentPort);
        FUZZ_CHECK(parts.path.size() <= net::kMaxPath);
        FUZZ_CHECK(!parts.path.empty());
    } catch (const Exception&) {
    }
    return 0;
}
