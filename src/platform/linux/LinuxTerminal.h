#pragma once

#include "platform/TerminalLauncher.h"

#include <string>
#include <vector>

namespace fray {

// The user's terminal emulator: $TERMINAL, xdg-terminal-exec, Debian's
// x-terminal-emulator, then xterm, whichever first starts.
class LinuxTerminal : public TerminalLauncher {
  public:
    explicit LinuxTerminal(std::string workingDir);
    bool runScript(const std::string& path) override;

    // The command lines to try in order, for the value of $TERMINAL (may be empty).
    static std::vector<std::vector<std::string>> candidates(const std::string& terminalVariable,
                                                            const std::string& script);

  private:
    std::string workingDir_;
};

} // namespace fray
