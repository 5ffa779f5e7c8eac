#pragma once

#include <optional>
#include <string>
#include <vector>

namespace fray {

// An installed application, as its desktop entry describes it.
struct AppEntry {
    std::string path; // the entry file
    std::string name;
    std::vector<std::string> command; // the Exec line split into words, field codes expanded
    std::string wmClass;              // StartupWMClass; empty when the entry names none
    bool operator==(const AppEntry&) const = default;
};

// Installed applications, looked up by desktop id.
class Applications {
  public:
    virtual ~Applications() = default;
    // The entry of the first of `desktopIds` found, the user's data directory before the
    // system's; absent when none is installed.
    virtual std::optional<AppEntry> find(const std::vector<std::string>& desktopIds) = 0;
    // Starts the application on its own, outliving this process; false when it could not start.
    virtual bool launch(const AppEntry& app) = 0;
};

} // namespace fray
