#pragma once

#include <cstdio>
#include <string>

namespace fray {

// `--json`, `--json --follow` and `--waybar`: the sessions for scripts and status bars,
// without a display, a window or the single-instance lock.
namespace StatusOutput {

enum class Format { json, waybar };

// `follow` prints a line per change until SIGINT or SIGTERM; otherwise one document after
// the first tick. Returns the exit status; a home that cannot be read prints an error
// object and gives 1.
int run(Format format, bool follow, const std::string& home, std::FILE* out = stdout);

} // namespace StatusOutput
} // namespace fray
