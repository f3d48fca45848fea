#pragma once
// The provider's credentials page and the choice between its credentials and
// the user's own. Pure byte handling with no platform dependency.
//
// The page is Shift-JIS text searched as bytes: the user ID stands after the
// first full-width colon and before the next "<", the password after the next
// full-width colon and before the "<" that follows it. The word "same" (同じ)
// anywhere in the password text means the password equals the user ID.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

struct Credentials {
    std::string userId;
    std::string password;

    bool operator==(const Credentials&) const = default;
};

// The longest user ID or password kept from the page, in bytes: the value
// fields of the lookup hold 127 characters and a NUL.
inline constexpr size_t kMaxPageCredential = 127;

// The user ID and password published on the page, or nothing when a colon or
// a "<" is missing. The body counts only up to its first NUL byte. A longer
// value is cut to kMaxPageCredential bytes, one byte shorter when the cut
// would split a Shift-JIS double-byte character; the "same" word is looked
// for in the cut password.
std::optional<Credentials> ParseCredentialsPage(std::string_view body);

// The credentials for the list fetch. `page` is the parse result, or nothing
// when the page could not be fetched or read. `storedUserId` and
// `storedPassword` are CYBER/USERID and CYBER/PASSWORD as read with the
// missing-value text "0" as default, so an absent key reads "0" and a key
// present with no value reads empty.
//   no page                   -> "0" / "0", whatever is stored
//   page, stored user ID ""   -> the page's user ID and password
//   page, stored user ID else -> the stored user ID and password
Credentials ChooseCredentials(const std::optional<Credentials>& page, std::string_view storedUserId,
                              std::string_view storedPassword);
