#pragma once

#include "monitor/FileState.h"

#include <ostream>
#include <tuple>

namespace fray::test {

// Everything a classified line may change, comparable in one assertion.
inline auto snapshot(const FileState& s) {
    return std::make_tuple(s.cwd, s.branch, static_cast<int>(s.lastKind), s.seenAssistant, s.combo,
                           s.lastPromptText, s.promptTimes.size(), s.powerUpAt.has_value());
}

} // namespace fray::test
