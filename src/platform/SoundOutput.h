#pragma once

#include <string>

namespace fray {

// Alert sounds. Nothing here blocks or fails loudly: without an audio device or a
// sound theme, calls simply play nothing.
class SoundOutput {
  public:
    virtual ~SoundOutput() = default;
    // Whether the application's own cue ("your-move", "ko") could be loaded.
    virtual bool hasCue(const std::string& name) = 0;
    // Stops the cue if it is playing and plays it from the start.
    virtual void playCue(const std::string& name) = 0;
    // A named system sound ("Sosumi", "Hero", "Basso"); false when the system has none.
    virtual bool playSystemSound(const std::string& name) = 0;
};

} // namespace fray
