#pragma once

#include <string>
#include <string_view>

// Path-string helpers with the usual "last component" semantics: trailing slashes are
// ignored and the root alone is its own last component.
namespace fray::PathText {

std::string_view lastComponent(std::string_view path);
std::string_view parent(std::string_view path);
std::string join(std::string_view dir, std::string_view name);

// The last n code points of a UTF-8 string, never cutting inside a sequence.
std::string_view lastCodePoints(std::string_view s, std::size_t n);
// The first n code points.
std::string_view firstCodePoints(std::string_view s, std::size_t n);

} // namespace fray::PathText
