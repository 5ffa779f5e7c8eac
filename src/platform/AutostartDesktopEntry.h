#pragma once

#include "Autostart.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fray {

// The freedesktop autostart entry: <configHome>/autostart/<appId>.desktop, whose Exec line
// starts the executable. The registered path is the first argument of Exec.
class AutostartDesktopEntry : public Autostart {
  public:
    // `executable` is the absolute path of the running program, empty when unknown.
    AutostartDesktopEntry(std::string configHome, std::string executable);

    std::string entryPath() const override;
    // An entry the desktop was told to skip (Hidden=true, or GNOME's
    // X-GNOME-Autostart-enabled=false) does not start anything, so it counts as off.
    bool isEnabled() const override;
    std::optional<std::string> registeredPath() const override;
    bool registeredHere() const override;
    std::optional<AutostartError> setEnabled(bool on) override;

    // The entry written for an executable.
    static std::string entryText(const std::string& executable);
    // One argument written for an Exec value: quoted when it holds a reserved character,
    // then escaped as a string value (so a literal backslash takes four).
    static std::string quoteExecArgument(std::string_view arg);
    // The arguments of an Exec value as written in the file; absent when the quoting is
    // broken (an unterminated quote).
    static std::optional<std::vector<std::string>> splitExec(std::string_view value);
    // The value of `key` in the [Desktop Entry] group, string escapes left as written.
    static std::optional<std::string> entryValue(std::string_view text, std::string_view key);

  private:
    std::string configHome_;
    std::string executable_;
};

} // namespace fray
