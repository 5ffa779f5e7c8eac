#pragma once

#include "FileState.h"
#include "session/Instant.h"

#include <memory>
#include <string_view>

namespace fray {

// True when a user line's text is an artefact of a slash command or an injected reminder.
bool isCommandNoise(std::string_view text);

// Classifies transcript lines into a FileState. Holds one reusable JSON parser, so keep
// one classifier per thread and feed it lines in file order.
class LineClassifier {
  public:
    LineClassifier();
    ~LineClassifier();
    LineClassifier(const LineClassifier&) = delete;
    LineClassifier& operator=(const LineClassifier&) = delete;

    // Bytes the JSON parser may read past the end of a line handed to parsePadded.
    static std::size_t padding();
    // Lines longer than this are ignored outright.
    static constexpr std::size_t maxLineBytes = 64u << 20;

    // One line without its terminator. `now` stands in for a missing prompt time.
    void parseLine(std::string_view line, FileState& st, Instant now);
    // As parseLine, for callers that guarantee padding() readable bytes after the line.
    void parsePadded(std::string_view line, FileState& st, Instant now);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Convenience form on a per-thread classifier.
void parseLine(std::string_view line, FileState& st, Instant now);

} // namespace fray
