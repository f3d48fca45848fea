// PathFromAppPaths on any registry value, expanded or not: what it gives is
// always a path the search may try, never a name relative to some folder nor
// one too long for the program path field.
#include <string>

#include "FuzzInput.h"
#include "settings/ProgramPlaces.h"

namespace {

size_t Characters(std::string_view utf8) {
    size_t n = 0;
    for (unsigned char c : utf8) n += (c & 0xC0) != 0x80;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    const bool expand = in.Byte() & 1;
    const std::string variable(in.Next());
    const std::string_view value = in.Rest();
    const programs::Environment environment = [&](const std::string& name) -> std::optional<std::string> {
        if (name == "V") return variable;
        return std::nullopt;
    };
    std::optional<std::string> path = programs::PathFromAppPaths(value, expand, environment);
    if (path) {
        FUZZ_CHECK(Characters(*path) <= programs::kMaxProgramPath);
        FUZZ_CHECK(path->size() >= 3);
        FUZZ_CHECK((*path)[1] == ':' || ((*path)[0] == '\\' || (*path)[0] == '/'));
        FUZZ_CHECK(path->front() != ' ' && path->back() != ' ' && path->front() != '"');
        if (!expand) FUZZ_CHECK(value.find(*path) != value.npos);
    }
    return 0;
}
