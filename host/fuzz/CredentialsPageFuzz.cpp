// The credentials page: Shift-JIS bytes from a server we do not control.
#include <optional>

#include "FuzzInput.h"
#include "list/CredentialsPage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    std::string_view body = in.Rest();
    std::optional<Credentials> page = ParseCredentialsPage(body);
    if (page) {
        FUZZ_CHECK(page->userId.size() <= kMaxPageCredential);
        FUZZ_CHECK(page->password.size() <= kMaxPageCredential);
        FUZZ_CHECK(page->userId.find('<') == std::string::npos);
    }
    Credentials chosen = ChooseCredentials(page, "", "");
    if (!page) FUZZ_CHECK(chosen == (Credentials{"0", "0"}));
    return 0;
}
