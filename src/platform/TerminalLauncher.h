#pragma once

#include <string>

namespace fray {

// Opens a new window of the user's terminal emulator.
class TerminalLauncher {
  public:
    virtual ~TerminalLauncher() = default;
    // Runs the executable script at `path` in a new terminal window titled "Fraymark";
    // false when no terminal emulator could be started.
    virtual bool runScript(const std::string& path) = 0;
};

} // namespace fray
