// Status and header lines as the client receives them from the server.
#include <cstring>

#include "FuzzInput.h"
#include "net/HttpText.h"
#include "net/SockErrors.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    std::string_view line = in.Rest();

    std::string_view bare = net::WithoutTerminator(line);
    FUZZ_CHECK(bare.size() <= line.size() && line.substr(0, bare.size()) == bare);
    net::StatusCodeOf(line);
    net::IsHeaderEnd(line);

    net::HeaderLineInfo info = net::ClassifyHeaderLine(bare);
    FUZZ_CHECK(info.value.size() <= net::kMaxHeaderValue);
    if (info.kind != net::HeaderLineInfo::ContentLength) FUZZ_CHECK(info.contentLength == 0);
    // An address to follow never carries a byte that would end or split the next request line.
    if (info.kind == net::HeaderLineInfo::Location)
        for (char c : info.value) FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x21);

    // The throwing and the non-throwing conversions agree on every text.
    int32_t tried = 0;
    bool ok = net::TryStrToInt(line, tried);
    try {
        int32_t converted = net::StrToInt(line);
        FUZZ_CHECK(ok && converted == tried);
    } catch (const EConvertError&) {
        FUZZ_CHECK(!ok);
    }

    std::string upper = net::UpperCase(line);
    std::string lower = net::LowerCase(line);
    FUZZ_CHECK(upper.size() == line.size() && lower.size() == line.size());
    FUZZ_CHECK(net::SameTextIgnoringCase(upper, lower));
    return 0;
}
