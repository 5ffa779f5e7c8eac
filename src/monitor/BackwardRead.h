#pragma once

#include "FileAccess.h"
#include "ReadBuffer.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace fray {

struct BackwardRead {
    // Offset just after the last line feed: the complete lines end here, a line still
    // being written begins here.
    std::uint64_t linesEnd = 0;
    // False when no line feed lies within reach: the last line alone is longer than that.
    bool found = false;
};

// Reads the complete lines at the end of a file of `size` bytes: first the last
// `firstStep` bytes, then ever larger steps further back, never more than `maxBytes` from
// the end. Each step's complete lines go to `chunk` as one slice in file order (a line
// start to a line feed, with the buffer's padding readable after it), latest step first;
// `chunk` returns true once it has what it looks for. The piece of a line cut by a step's
// start is read again with the next step. Absent on a read error or a file that shrank.
std::optional<BackwardRead> readLinesBackward(OpenFile& file, std::uint64_t size, std::uint64_t firstStep,
                                              std::uint64_t maxBytes, ReadBuffer& buffer,
                                              const std::function<bool(std::string_view lines)>& chunk);

} // namespace fray
