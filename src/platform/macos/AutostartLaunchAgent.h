#pragma once

#include "platform/Autostart.h"

#include <optional>
#include <string>

namespace fray {

// The per-user launch agent of macOS: <home>/Library/LaunchAgents/<appId>.plist, an XML
// property list with Label, ProgramArguments (the executable alone), RunAtLoad and
// ProcessType. Plain file code, so it builds and is tested on every system.
class AutostartLaunchAgent : public Autostart {
  public:
    // `executable` is the absolute path of the running program, empty when unknown.
    AutostartLaunchAgent(std::string home, std::string executable);

    // Any item at the path counts; its content plays no part.
    std::string entryPath() const override;
    bool isEnabled() const override;
    // The first element of ProgramArguments when that is a non-empty array of strings.
    std::optional<std::string> registeredPath() const override;
    bool registeredHere() const override;
    std::optional<AutostartError> setEnabled(bool on) override;

    static std::string plistText(const std::string& executable);
    static std::optional<std::string> firstProgramArgument(const std::string& plist);

  private:
    std::string home_;
    std::string executable_;
};

} // namespace fray
