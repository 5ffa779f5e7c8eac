#pragma once

#include "Paths.h"

#include <memory>
#include <optional>
#include <string>

namespace fray {

struct AutostartError {
    std::string domain; // appId for our own errors, "posix" for file-system failures
    int code = 0;
    std::string description;
    bool operator==(const AutostartError&) const = default;
};

// Starting the application when the user logs in. Nothing is loaded or unloaded at the
// moment of switching: the entry takes effect at the next login. Every query reads the
// file system afresh, so an entry added or removed by hand shows at the next query.
class Autostart {
  public:
    virtual ~Autostart() = default;
    // The file that holds the entry.
    virtual std::string entryPath() const = 0;
    virtual bool isEnabled() const = 0;
    // The executable the existing entry starts; absent when there is none or it is unreadable.
    virtual std::optional<std::string> registeredPath() const = 0;
    // False when an entry starts another copy of the program (not this executable, nor a
    // link to it).
    virtual bool registeredHere() const = 0;
    // Creates (or re-aims) or removes the entry; absent on success.
    virtual std::optional<AutostartError> setEnabled(bool on) = 0;
};

} // namespace fray
