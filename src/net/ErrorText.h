#pragma once
// Winsock error codes as the texts that the transport raises.
#include <cstdint>
#include <span>
#include <string>

namespace net {

struct ErrorTextRow {
    int32_t code;
    const char* text;
};

// All 51 rows; the last, code 0, is a sentinel that ErrorText never matches.
std::span<const ErrorTextRow> ErrorTextTable();

// "" for 0, "10061:Connection refused" for a known code, else "Unknown Error No. <code>".
std::string ErrorText(int32_t code);

}  // namespace net
