#pragma once

#include <string>
#include <string_view>

// Path-string helpers with the usual "last component" semantics: trailing slashes are
// ignored and the root alone is its own last component.
namespace fray::PathText {

std::string_view lastComponent(std::string_view path);
std::string_view parent(std::string_view path);
std::string join(std::string_view dir, std::string_view name);

} // namespace fray::PathText
