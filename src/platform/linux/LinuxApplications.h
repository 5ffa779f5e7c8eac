#pragma once

#include "platform/Applications.h"

#include <string>
#include <vector>

namespace fray {

// Desktop entries in the XDG data directories' "applications" folders; launched by
// their Exec line.
class LinuxApplications : public Applications {
  public:
    // `dataDirs`: the user's data directory first, then the system's.
    LinuxApplications(std::vector<std::string> dataDirs, std::string workingDir);

    std::optional<AppEntry> find(const std::vector<std::string>& desktopIds) override;
    bool launch(const AppEntry& app) override;

    // The [Desktop Entry] group of an entry file's text; absent when it is not an
    // application entry or is marked hidden (deleted by the user).
    static std::optional<AppEntry> parseEntry(const std::string& text, const std::string& path);
    // An Exec value (already unescaped as a string) split into words by the entry format's
    // quoting rules, with the field codes expanded for a launch without files; absent when
    // the quoting is broken.
    static std::optional<std::vector<std::string>> splitExec(const std::string& exec, const std::string& name,
                                                             const std::string& icon,
                                                             const std::string& path);

  private:
    std::vector<std::string> dataDirs_;
    std::string workingDir_;
};

} // namespace fray
