#pragma once
// The number rules of the INI access layer, as pure functions.
#include <cstdint>
#include <string_view>

namespace ini {

// Longest value text a read returns; a longer value is cut there.
inline constexpr size_t kMaxValueLength = 2047;

// Text longer than two characters starting "0x"/"0X" is hexadecimal; otherwise a
// decimal whole number with an optional sign. Anything else gives fallback.
int32_t ParseInteger(std::string_view text, int32_t fallback);

}  // namespace ini
