// A list page from a server we do not control: any bytes, any option.
#include <string>

#include "FuzzInput.h"
#include "list/ProxyListPage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    // Options 4 and 5 stand for the out-of-range ones, which must raise, not read.
    int option = in.Byte() % 6;
    std::string_view body = in.Rest();
    try {
        std::vector<std::string> entries = ParseProxyList(body, option);
        FUZZ_CHECK(option <= 3);
        FUZZ_CHECK(entries.size() <= kMaxListEntries);
        for (const std::string& e : entries) {
            FUZZ_CHECK(e.size() <= kMaxEntryLength);
            FUZZ_CHECK(e.find('<') == std::string::npos);
            FUZZ_CHECK(e.find('\0') == std::string::npos);
            FUZZ_CHECK(body.find(e) != std::string_view::npos);
        }
    } catch (const EListPageError&) {
    }
    return 0;
}
