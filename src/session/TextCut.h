#pragma once

#include <cstddef>
#include <string_view>

namespace fray {

// The first n user-perceived characters of valid UTF-8 text. A character is a base code
// point with what attaches to it: combining marks, variation selectors, emoji modifiers
// and tags, zero-width-joiner sequences, and regional-indicator pairs (flags). This
// covers what titles hold in practice without carrying the full Unicode tables.
std::string_view firstCharacters(std::string_view text, std::size_t n);

} // namespace fray
