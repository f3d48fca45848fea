// Profiles.ini: whatever the bytes, every folder offered is taken from the
// file, lies below the Firefox folder or is an absolute path, and holds no
// control character and no ".." step, so nothing is ever written elsewhere.
#include <string>
#include <string_view>

#include "FuzzInput.h"
#include "settings/ProfilesIni.h"

namespace {

constexpr std::string_view kFirefox = "C:\\FF";

void Check(std::string_view text, const profiles::Place& place) {
    FUZZ_CHECK(!place.path.empty());
    FUZZ_CHECK(text.find(place.path) != std::string_view::npos);
    std::string folder = profiles::Folder(kFirefox, place);
    if (folder.empty()) return;
    if (place.relative) {
        FUZZ_CHECK(folder.size() > kFirefox.size() + 1 && folder.rfind("C:\\FF\\", 0) == 0);
    } else {
        FUZZ_CHECK(folder.size() > 3 && (folder[1] == ':' || folder.rfind("\\\\", 0) == 0));
    }
    size_t start = 0;
    for (size_t i = 0; i <= folder.size(); ++i) {
        if (i < folder.size()) {
            auto c = static_cast<unsigned char>(folder[i]);
            FUZZ_CHECK(c >= 0x20 && c != 0x7F);
            if (c != '\\' && c != '/') continue;
        }
        FUZZ_CHECK(folder.substr(start, i - start) != "..");
        start = i + 1;
    }
    FUZZ_CHECK(folder.back() != '\\' && folder.back() != '/');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    profiles::ProfilesIni ini = profiles::Parse(text);
    for (const profiles::Place& p : ini.installDefaults) Check(text, p);
    for (const profiles::Place& p : ini.markedDefaults) Check(text, p);
    if (ini.profile0) Check(text, *ini.profile0);
    return 0;
}
