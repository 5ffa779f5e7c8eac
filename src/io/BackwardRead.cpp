#include "BackwardRead.h"

#include <cstring>
#include <string>

namespace fray {

std::optional<BackwardRead> readLinesBackward(OpenFile& file, std::uint64_t size, std::uint64_t tail,
                                              std::uint64_t maxStep, std::uint64_t maxBytes,
                                              ReadBuffer& buffer,
                                              const std::function<bool(std::string_view line)>& line) {
    BackwardRead out;
    const std::uint64_t reach = size > maxBytes ? size - maxBytes : 0;
    const std::uint64_t tailStart = size > tail ? size - tail : 0;
    bool acceptedInTail = false;
    std::uint64_t hi = size; // the lines from here on have been handed over
    std::uint64_t lo = size; // read so far: [lo, hi) is kept in `carry`, a line cut by a step
    std::string carry;
    std::uint64_t step = tail;
    while (lo > reach) {
        const std::uint64_t from = lo - reach > step ? lo - step : reach;
        const std::uint64_t want = lo - from;
        buffer.clear();
        auto got = readToEnd(file, from, want, buffer, static_cast<std::size_t>(want));
        if (!got || *got < want) return std::nullopt;
        buffer.append(carry.data(), carry.size());
        lo = from;
        const char* data = buffer.data();
        std::size_t len = static_cast<std::size_t>(hi - from);
        if (!out.found) {
            const auto* lf = static_cast<const char*>(memrchr(data, '\n', len));
            if (!lf && from > 0) { // the last line is longer than what was read
                carry.assign(data, len);
                step *= 2;
                continue;
            }
            out.found = true;
            out.linesEnd = lf ? from + static_cast<std::uint64_t>(lf - data) + 1 : 0;
            hi = out.linesEnd;
            len = static_cast<std::size_t>(hi - from);
        }
        std::size_t start = 0;
        if (from > 0) { // a step's first piece belongs to a line that began earlier
            const auto* lf = static_cast<const char*>(std::memchr(data, '\n', len));
            start = lf ? static_cast<std::size_t>(lf - data) + 1 : len;
        }
        // Latest first: each line ends with the line feed at `end - 1`.
        bool done = false;
        for (std::size_t end = len; end > start && !done;) {
            const auto* lf = end - 1 > start
                                 ? static_cast<const char*>(memrchr(data + start, '\n', end - 1 - start))
                                 : nullptr;
            const std::size_t begin = lf ? static_cast<std::size_t>(lf - data) + 1 : start;
            const std::string_view text(data + begin, end - 1 - begin);
            if (from + begin >= tailStart)
                acceptedInTail = line(text) || acceptedInTail;
            else
                done = acceptedInTail || line(text);
            end = begin;
        }
        if (done || (acceptedInTail && from <= tailStart)) break;
        carry.assign(data, start);
        hi = from + start;
        // A line longer than the step: keep doubling until its start is found.
        step = start == len ? step * 2 : std::min(step * 2, std::max(maxStep, tail));
    }
    return out;
}

} // namespace fray
