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

// Hands the complete lines at the end of a file of `size` bytes to `line`, latest first
// and without their line feed: every line that begins in the last `tail` bytes, then,
// unless `line` accepted one of those, earlier lines until it accepts one. Never reads
// more than `maxBytes` from the end, and each byte once: in steps that grow from `tail` to
// at most `maxStep`, further only to find the start of a line longer than that. The
// buffer's padding is readable after every line. Absent on a read error or a file that
// shrank while it was read.
std::optional<BackwardRead> readLinesBackward(OpenFile& file, std::uint64_t size, std::uint64_t tail,
                                              std::uint64_t maxStep, std::uint64_t maxBytes,
                                              ReadBuffer& buffer,
                                              const std::function<bool(std::string_view line)>& line);

} // namespace fray
