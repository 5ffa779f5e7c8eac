#include "BackwardRead.h"

#include <cstring>

namespace fray {

std::optional<BackwardRead> readLinesBackward(OpenFile& file, std::uint64_t size, std::uint64_t firstStep,
                                              std::uint64_t maxBytes, ReadBuffer& buffer,
                                              const std::function<bool(std::string_view lines)>& chunk) {
    BackwardRead out;
    const std::uint64_t reach = size > maxBytes ? size - maxBytes : 0;
    std::uint64_t hi = size; // the lines from here on have been handed over
    std::uint64_t step = firstStep;
    while (hi > reach) {
        const std::uint64_t from = hi - reach > step ? hi - step : reach;
        const std::uint64_t want = hi - from;
        buffer.clear();
        auto got = readToEnd(file, from, want, buffer, static_cast<std::size_t>(want));
        if (!got || *got < want) return std::nullopt;
        const char* data = buffer.data();
        std::size_t len = static_cast<std::size_t>(want);
        if (!out.found) {
            const auto* lf = static_cast<const char*>(memrchr(data, '\n', len));
            if (!lf && from > 0) {
                if (from == reach) break; // the last line is longer than the reach
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
            if (start == len) { // one line fills the whole step
                if (from == reach) break;
                step *= 2;
                continue;
            }
        }
        if (len > start && chunk(std::string_view(data + start, len - start))) break;
        if (from == reach) break; // the start of the file, or as far back as allowed
        hi = from + start;
        step *= 2;
    }
    return out;
}

} // namespace fray
