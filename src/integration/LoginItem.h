#pragma once

#include "platform/Autostart.h"

#include <optional>
#include <string>

namespace fray {

// Starting Fraymark at login, as the settings window switches it. It never registers
// itself: the switch is off until the user turns it on. Every query reads the entry
// afresh through the system's autostart backend for the platform's current paths.
class LoginItem {
  public:
    LoginItem() = delete;

    static std::string entryPath();
    static bool isEnabled();
    // The executable the entry starts, when it can be read.
    static std::optional<std::string> registeredPath();
    // Absent on success; otherwise the error to show the user.
    static std::optional<AutostartError> setEnabled(bool on);
};

} // namespace fray
