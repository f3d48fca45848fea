#pragma once
// Base64 (RFC 2045 alphabet) of the Basic authentication value. Pure.
#include <string>
#include <string_view>

namespace net {

// MIME layout: the input in blocks of 45 bytes, each block's 60 characters
// followed by CR LF.
std::string EncodeBase64Lines(std::string_view bytes);

// The same characters on one line, however long the input.
std::string EncodeBase64(std::string_view bytes);

}  // namespace net
