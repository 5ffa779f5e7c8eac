#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A JSON object read member by member with each value's text exactly as written, so that
// a file can be rewritten without touching what its reader does not understand. Any valid
// JSON is accepted: numbers beyond double range, integers beyond 64 bits, any depth of
// nesting, and a UTF-8 byte-order mark before the object.
namespace fray::JsonObjectText {

struct Member {
    std::string key;      // decoded
    std::string_view raw; // the value's text, a view into the parsed text
};

inline constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

// The members of the object that `text` holds, in order (duplicate keys as written);
// absent when `text` is not exactly one valid JSON object.
std::optional<std::vector<Member>> parse(std::string_view text);

// The text of a valid JSON string token (with its quotes) decoded to UTF-8; a lone
// surrogate escape becomes U+FFFD.
std::string decodeString(std::string_view raw);

// A valid JSON number token as a double; absent when it lies beyond double range.
std::optional<double> number(std::string_view raw);

// The shortest JSON number token that reads back as `v`; absent for infinities and NaN.
std::optional<std::string> numberText(double v);

} // namespace fray::JsonObjectText
