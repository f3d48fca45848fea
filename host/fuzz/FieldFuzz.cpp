// FieldOf and NthPos against a plain split of the text.
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "net/HttpText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    char delimiter = static_cast<char>(in.Byte());
    int n = static_cast<int8_t>(in.Byte());
    std::string_view text = in.Rest();

    std::vector<std::string_view> fields;
    std::vector<size_t> positions;  // 1-based, as NthPos counts
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != delimiter) continue;
        fields.push_back(text.substr(start, i - start));
        positions.push_back(i + 1);
        start = i + 1;
    }
    fields.push_back(text.substr(start));

    std::string expected = n >= 1 && static_cast<size_t>(n) <= fields.size()
                               ? std::string(fields[static_cast<size_t>(n) - 1])
                               : std::string();
    FUZZ_CHECK(net::FieldOf(text, delimiter, n) == expected);
    if (n >= 1) {
        size_t pos = static_cast<size_t>(n) <= positions.size() ? positions[static_cast<size_t>(n) - 1]
                                                                : text.size() + 1;
        FUZZ_CHECK(net::NthPos(text, delimiter, n) == pos);
    } else {
        net::NthPos(text, delimiter, n);
    }
    return 0;
}
