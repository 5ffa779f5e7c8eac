#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>

namespace fray {

// Writes `bytes` to `path` through a temporary file in the same folder, synced and then
// renamed over the target, so readers never see a half-written file and a failure leaves
// the earlier one intact. Returns 0, or the errno of the step that failed.
int writeFileAtomically(const std::string& path, std::string_view bytes, mode_t mode);

// Creates the folder and any missing parents (new ones with `mode`). Returns 0 when the
// folder exists afterwards, or the errno of the step that failed.
int makeDirectories(const std::string& dir, mode_t mode);

} // namespace fray
